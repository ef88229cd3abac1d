#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time on
# its seed corpus. FUZZ_SECONDS sets the budget per target.
set -euo pipefail
cd "$(dirname "$0")/.."
secs="${FUZZ_SECONDS:-60}"
if [ ! -f build-fuzz/build.ninja ]; then
  CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKL_FUZZ=ON -DKL_BUILD_TESTS=OFF
fi
cmake --build build-fuzz -j"$(nproc)"
shopt -s nullglob
for exe in build-fuzz/fuzz/fuzz_*; do
  [ -f "$exe" ] && [ -x "$exe" ] || continue
  name="$(basename "$exe")"; name="${name#fuzz_}"
  corpus="build-fuzz/corpus/$name"
  mkdir -p "$corpus"
  seeds=()
  [ -d "fuzz/seeds/$name" ] && seeds+=("fuzz/seeds/$name")
  echo "Fuzzing $name for ${secs}s"
  "$exe" -max_total_time="$secs" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 "$corpus" "${seeds[@]}" 2>&1 | tail -n 12
  test "${PIPESTATUS[0]}" -eq 0
done
