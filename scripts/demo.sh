#!/usr/bin/env bash
# Creates the demo catalogue and workbooks next to Kestrel when they are absent.
set -euo pipefail
cd "$(dirname "$0")/.."
bin=build/kestrel/app
if [ -x build/cli/kestrel-catalogue ] && [ ! -f "$bin/demo.fdb" ]; then
  build/cli/kestrel-catalogue create "$bin/demo.fdb" --demo
fi
if [ -d tests/data/demo ]; then
  for f in tests/data/demo/*.xls; do
    [ -f "$f" ] || continue
    [ -f "$bin/$(basename "$f")" ] || cp "$f" "$bin/"
  done
fi
