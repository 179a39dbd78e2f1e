#!/usr/bin/env bash
# Times plok-cli against a plain copy of a generated claims file.
# Usage: bench/throughput.sh [SIZE_MB=200]
set -euo pipefail

SIZE_MB=${1:-200}
if ! [[ $SIZE_MB =~ ^[1-9][0-9]*$ ]]; then
    echo "usage: $0 [SIZE_MB=200]" >&2
    exit 2
fi

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=$ROOT/build-bench
CLI=$BUILD/cli/plok-cli
GEN=$BUILD/bench/plok-gen-claims
RUNS=3

# One line per measured command: "label|command". {CLI}, {FILE} and {OUT} are replaced; OUT is an empty folder
# before every run.
COMMANDS=(
    "anonymize|{CLI} anonymize --out {OUT} {FILE}"
    "strip-branch|{CLI} strip-branch --out {OUT} {FILE}"
)

echo "== building Release in $BUILD" >&2
cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DPLOK_BUILD_TESTS=OFF >/dev/null
cmake --build "$BUILD" --target plok-cli plok-gen-claims -j2 >/dev/null

WORK=$(mktemp -d "${TMPDIR:-/tmp}/plok-throughput.XXXXXX")
trap 'rm -rf "$WORK"' EXIT
FILE=$WORK/in/RECEIPTC.UKE
OUT=$WORK/out
mkdir -p "$WORK/in"

echo "== generating $SIZE_MB MiB" >&2
"$GEN" --payer social --size-mb "$SIZE_MB" --seed 1 --eof "$FILE"
cat "$FILE" >/dev/null

# run LABEL COMMAND...: runs the command RUNS times in a fresh OUT; sets BEST (seconds) and PEAK (MiB).
run() {
    local label=$1
    shift
    BEST=
    PEAK=0
    local i start end secs rss
    for ((i = 0; i < RUNS; i++)); do
        rm -rf "$OUT"
        mkdir "$OUT"
        start=$(date +%s.%N)
        if ! /usr/bin/time -v -o "$WORK/time.txt" "$@" >"$WORK/stdout.txt" 2>"$WORK/stderr.txt"; then
            echo "$label failed: $*" >&2
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
    printf '%-14s %9.3f %8s %12s %10s\n' "$1" "$2" "$3" "$4" "$5"
}

ratio() {
    awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'
}

run cp cp "$FILE" "$OUT/copy.UKE"
CP=$BEST
CP_RSS=$PEAK
# shellcheck disable=SC2016 # expanded by the inner shell
run "cp+sync" sh -c 'cp "$1" "$2" && sync "$2"' sh "$FILE" "$OUT/copy.UKE"
CPSYNC=$BEST
CPSYNC_RSS=$PEAK

echo
echo "file: $(stat -c %s "$FILE") bytes ($SIZE_MB MiB), best of $RUNS"
printf '%-14s %9s %8s %12s %10s\n' command seconds "x cp" "x cp+sync" "peak MiB"
row cp "$CP" "1.00" "$(ratio "$CP" "$CPSYNC")" "$CP_RSS"
row cp+sync "$CPSYNC" "$(ratio "$CPSYNC" "$CP")" "1.00" "$CPSYNC_RSS"

for entry in "${COMMANDS[@]}"; do
    label=${entry%%|*}
    template=${entry#*|}
    read -r -a words <<<"$template"
    args=()
    for w in "${words[@]}"; do
        w=${w//\{CLI\}/$CLI}
        w=${w//\{FILE\}/$FILE}
        w=${w//\{OUT\}/$OUT}
        args+=("$w")
    done
    run "$label" "${args[@]}"
    row "$label" "$BEST" "$(ratio "$BEST" "$CP")" "$(ratio "$BEST" "$CPSYNC")" "$PEAK"
done
