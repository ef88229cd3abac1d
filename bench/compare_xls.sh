#!/usr/bin/env bash
# Whole-process time of `xlstool csv` against Gnumeric's ssconvert and a
# minimal FreeXL reader on the same generated 20,000 x 20 workbook, side by
# side in one run. Needs gnumeric and libfreexl-dev (not part of ./test.sh).
# Usage: bench/compare_xls.sh [BUILD_DIR] [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
runs="${2:-5}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

cmake --build "$build" --target xlstool bench_xls_codec >/dev/null
"$build/bench/bench_xls_codec" --make "$work/big.xls"

cat > "$work/freexl_dump.c" <<'C'
#include <freexl.h>
#include <stdio.h>
/* Reads every cell of every sheet and prints it, one line per row. */
int main(int argc, char **argv)
{
    const void *h;
    unsigned int sheets, rows, r;
    unsigned short cols, c, s;
    if (argc < 2 || freexl_open(argv[1], &h) != FREEXL_OK) return 1;
    if (freexl_get_info(h, FREEXL_BIFF_SHEET_COUNT, &sheets) != FREEXL_OK) return 1;
    for (s = 0; s < sheets; s++) {
        if (freexl_select_active_worksheet(h, s) != FREEXL_OK) return 1;
        if (freexl_worksheet_dimensions(h, &rows, &cols) != FREEXL_OK) return 1;
        for (r = 0; r < rows; r++) {
            for (c = 0; c < cols; c++) {
                FreeXL_CellValue v;
                if (freexl_get_cell_value(h, r, c, &v) != FREEXL_OK) return 1;
                if (c) putchar(',');
                switch (v.type) {
                case FREEXL_CELL_INT: printf("%d", v.value.int_value); break;
                case FREEXL_CELL_DOUBLE: printf("%.15g", v.value.double_value); break;
                case FREEXL_CELL_TEXT: case FREEXL_CELL_SST_TEXT: case FREEXL_CELL_DATE:
                case FREEXL_CELL_DATETIME: case FREEXL_CELL_TIME: fputs(v.value.text_value, stdout); break;
                default: break;
                }
            }
            putchar('\n');
        }
    }
    freexl_close(h);
    return 0;
}
C
cc -O2 -o "$work/freexl_dump" "$work/freexl_dump.c" -lfreexl

timeit() { # prints the best wall time of $runs runs, in seconds
  local best=999
  for _ in $(seq "$runs"); do
    local t0 t1
    t0=$(date +%s.%N)
    "$@" >/dev/null 2>&1
    t1=$(date +%s.%N)
    best=$(echo "$t1 - $t0 < $best" | bc -l | grep -q 1 && echo "$t1 - $t0" | bc -l || echo "$best")
  done
  printf '%.3f' "$best"
}

ls -l "$work/big.xls" | awk '{printf "file: %.1f MB\n", $5/1e6}'
ours=$(timeit "$build/cli/xlstool" csv "$work/big.xls")
freexl=$(timeit "$work/freexl_dump" "$work/big.xls")
gnumeric=$(timeit ssconvert --export-type=Gnumeric_stf:stf_csv "$work/big.xls" "$work/out.csv")
peak=$( { /usr/bin/time -f '%M' "$build/cli/xlstool" csv "$work/big.xls" >/dev/null; } 2>&1 | tail -1)
echo "best of $runs, wall seconds: xlstool csv $ours | FreeXL $freexl | ssconvert $gnumeric"
echo "xlstool peak RSS: $((peak / 1024)) MB"
echo "ssconvert / xlstool: $(echo "$gnumeric / $ours" | bc -l | cut -c1-5)x   xlstool / FreeXL: $(echo "$ours / $freexl" | bc -l | cut -c1-5)x"
