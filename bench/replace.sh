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

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=$ROOT/build-bench
CLI=$BUILD/cli/plok-cli
GEN=$BUILD/bench/plok-gen-replace
RUNS=3

echo "== building Release in $BUILD" >&2
cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DPLOK_BUILD_TESTS=OFF -DPLOK_BUILD_GUI=OFF >/dev/null
cmake --build "$BUILD" --target plok-cli plok-gen-replace -j2 >/dev/null

WORK=$(mktemp -d "${TMPDIR:-/tmp}/plok-replace.XXXXXX")
trap 'rm -rf "$WORK"' EXIT
OUT=$WORK/out
mkdir -p "$WORK/in"

# run COMMAND...: runs the command RUNS times in a fresh OUT; sets BEST (seconds) and PEAK (MiB).
run() {
    BEST=
    PEAK=0
    local i start end secs rss
    for ((i = 0; i < RUNS; i++)); do
        rm -rf "$OUT"
        mkdir "$OUT"
        start=$(date +%s.%N)
        if ! /usr/bin/time -v -o "$WORK/time.txt" "$@" >"$WORK/stdout.txt" 2>"$WORK/stderr.txt"; then
            echo "failed: $*" >&2
            cat "$WORK/stdout.txt" "$WORK/stderr.txt" >&2
            exit 1
        fi
        end=$(date +%s.%N)
        secs=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", b - a }')
        rss=$(awk -F': ' '/Maximum resident set size/ { print $2 }' "$WORK/time.txt")
        if [[ -z $BEST ]] || awk -v a="$secs" -v b="$BEST" 'BEGIN { exit !(a < b) }'; then
            BEST=$secs
        fi
        if ((rss > PEAK)); then
            PEAK=$rss
        fi
    done
    PEAK=$(awk -v k="$PEAK" 'BEGIN { printf "%.1f", k / 1024 }')
}

printf '\nlines: %s, best of %s; "table only" converts a one-line file with the same table\n' "$LINES" "$RUNS"
printf '%9s %9s %10s %10s %11s %9s\n' pairs lines seconds "peak MiB" "table only" "replaced"
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
    printf '%9s %9s %10s %10s %11s %9s\n' "$pairs" "$LINES" "$BEST" "$PEAK" "$TABLE" "$CHANGED"
done
