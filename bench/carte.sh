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

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=$ROOT/build-bench
CLI=$BUILD/cli/plok-cli
GEN=$BUILD/bench/plok-gen-ff
RUNS=3

echo "== building Release in $BUILD" >&2
cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DPLOK_BUILD_TESTS=OFF -DPLOK_BUILD_GUI=OFF >/dev/null
cmake --build "$BUILD" --target plok-cli plok-gen-ff -j2 >/dev/null

WORK=$(mktemp -d "${TMPDIR:-/tmp}/plok-carte.XXXXXX")
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

row() {
    local us
    us=$(awk -v s="$4" -v n="$2" 'BEGIN { printf "%.2f", s * 1e6 / n }')
    printf '%-11s %9s %8s %9s %9s %9s %9s\n' "$1" "$2" "$3" "$4" "$us" "$5" "$6"
}

printf '\nbest of %s runs; "out lines" counts the lines of the produced file\n' "$RUNS"
printf '%-11s %9s %8s %9s %9s %9s %9s\n' command lines MiB seconds "us/line" "peak MiB" "out lines"
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
