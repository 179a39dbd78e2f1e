#!/usr/bin/env bash
# Times `plok-cli replace` on generated input for several table sizes, to show that the time grows with the
# lines plus the pairs, not with their product.
# Usage: bench/replace.sh [LINES=100000] [PAIRS...=1000 10000 100000]
set -euo pipefail

LINES=${1:-100000}
shift || true
PAIRS_LIST=("$@")
if ((${#PAIRS_LIST[@]} == 0)); then
    PAIRS_LIST=(1000 10000 100000)
fi
for n in "$LINES" "${PAIRS_LIST[@]}"; do
    if ! [[ $n =~ ^[1-9][0-9]*$ ]]; then
        echo "usage: $0 [LINES=100000] [PAIRS...=1000 10000 100000]" >&2
        exit 2
    fi
done

source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
GEN=$BUILD/bench/plok-gen-replace

bench_build plok-gen-replace


printf '\nlines: %s, best of %s; "table only" converts a one-line file with the same table; "x source" is the peak\n' \
    "$LINES" "$RUNS"
printf 'divided by the size of the source file\n'
printf '%9s %9s %8s %10s %10s %9s %11s %9s\n' pairs lines MiB seconds "peak MiB" "x source" "table only" "replaced"
for pairs in "${PAIRS_LIST[@]}"; do
    SRC=$WORK/in/data$pairs.txt
    DEF=$WORK/in/def$pairs.csv
    ONE=$WORK/in/one$pairs.txt
    "$GEN" --lines "$LINES" --pairs "$pairs" --seed 1 "$SRC" "$DEF" 2>/dev/null
    head -n 1 "$SRC" >"$ONE"
    cat "$SRC" "$DEF" >/dev/null

    run "$CLI" replace --out "$OUT" --definitions "$DEF" "$ONE"
    TABLE=$BEST
    run "$CLI" replace --out "$OUT" --definitions "$DEF" "$SRC"
    # Lines whose field 2 changed: a quick check that the run did replace about half of them.
    CHANGED=$(paste -d '\n' <(cut -d, -f2 "$SRC") <(cut -d, -f2 "$OUT/data${pairs}R.txt") |
        awk 'NR % 2 == 1 { a = $0; next } a != $0 { n++ } END { print n + 0 }')
    MIB=$(awk -v b="$(stat -c %s "$SRC")" 'BEGIN { printf "%.1f", b / 1048576 }')
    printf '%9s %9s %8s %10s %10s %9s %11s %9s\n' "$pairs" "$LINES" "$MIB" "$BEST" "$PEAK" "$(ratio "$PEAK" "$MIB")" \
        "$TABLE" "$CHANGED"
done
