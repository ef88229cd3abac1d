#!/usr/bin/env bash
# Installs the Debian packages the build, the programs and the tests need.
# Only missing packages are installed, so a re-run costs a second.
set -euo pipefail
PKGS=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-base-dev-tools
  firebird-dev libfbclient2 firebird3.0-server-core firebird3.0-utils
  libgsf-1-dev libsimpleini-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  xvfb xauth fonts-dejavu-core fonts-dejavu-extra
  python3 python3-xlrd
)
missing=()
for p in "${PKGS[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -q
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q "${missing[@]}"
fi
