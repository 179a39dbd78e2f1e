#!/usr/bin/env bash
# Times `plok-cli carte` (and the plain export) on generated FF files of a quarter, half and all of LINES lines:
# the time per line should stay flat as the file grows.
# Usage: bench/carte.sh [LINES=100000]
set -euo pipefail

LINES=${1:-100000}
if ! [[ $LINES =~ ^[1-9][0-9]*$ ]] || ((LINES < 4)); then
    echo "usage: $0 [LINES=100000]" >&2
    exit 2
fi

source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
GEN=$BUILD/bench/plok-gen-ff

bench_build plok-gen-ff


row() {
    local us
    us=$(awk -v s="$4" -v n="$2" 'BEGIN { printf "%.2f", s * 1e6 / n }')
    printf '%-11s %9s %8s %9s %9s %9s %7s %9s\n' "$1" "$2" "$3" "$4" "$us" "$5" "$(ratio "$5" "$3")" "$6"
}

printf '\nbest of %s runs; "x file" is the peak divided by the size of the FF file; "out lines" counts the lines of\n' "$RUNS"
printf 'the produced file\n'
printf '%-11s %9s %8s %9s %9s %9s %7s %9s\n' command lines MiB seconds "us/line" "peak MiB" "x file" "out lines"
for n in $((LINES / 4)) $((LINES / 2)) "$LINES"; do
    SRC=$WORK/in/ff$n.txt
    "$GEN" --lines "$n" --seed 1 "$SRC" 2>/dev/null
    cat "$SRC" >/dev/null
    MIB=$(awk -v b="$(stat -c %s "$SRC")" 'BEGIN { printf "%.1f", b / 1048576 }')
    for command in carte export-csv; do
        run "$CLI" "$command" --out "$OUT" "$SRC"
        row "$command" "$n" "$MIB" "$BEST" "$PEAK" "$(cat "$OUT"/*.csv | wc -l)"
    done
done
