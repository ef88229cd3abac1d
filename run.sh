#!/usr/bin/env bash
# ./run.sh [kestrel|lumora] — set up what is missing, build, start a program.
set -euo pipefail
cd "$(dirname "$0")"
which_prog="${1:-kestrel}"
case "$which_prog" in
  kestrel|lumora) ;;
  *) echo "usage: ./run.sh [kestrel|lumora]" >&2; exit 2 ;;
esac
scripts/setup.sh
scripts/build.sh
if [ "$which_prog" = kestrel ]; then
  scripts/demo.sh
fi
exe="build/kestrel/app/kestrel"
[ "$which_prog" = lumora ] && exe="build/lumora/lumora"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: starting $which_prog under xvfb-run (invisible virtual screen)."
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$exe"
fi
exec "$exe"
