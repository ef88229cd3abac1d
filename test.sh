#!/usr/bin/env bash
# ./test.sh — set up what is missing, build, run every test.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh
scripts/build.sh
export QT_QPA_PLATFORM=offscreen
ctest --test-dir build --output-on-failure -j"$(nproc)"
scripts/fuzz.sh
