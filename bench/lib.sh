# Shared by the timing scripts: sourced, not run.
# Sets ROOT, BUILD, CLI, RUNS, WORK (removed on exit) and OUT, and offers bench_build and run.

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=$ROOT/build-bench
CLI=$BUILD/cli/plok-cli
RUNS=3

# bench_build TARGET...: a Release build of plok-cli and the given targets in build-bench (no GUI).
bench_build() {
    echo "== building Release in $BUILD" >&2
    cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=ON -DPLOK_BUILD_GUI=OFF >/dev/null
    cmake --build "$BUILD" --target plok-cli "$@" -j2 >/dev/null
}

WORK=$(mktemp -d "${TMPDIR:-/tmp}/plok-bench.XXXXXX")
trap 'rm -rf "$WORK"' EXIT
OUT=$WORK/out
mkdir -p "$WORK/in"

# run COMMAND...: runs the command RUNS times, each in a fresh empty OUT; sets BEST (seconds, best of the runs) and
# PEAK (MiB, the largest "Maximum resident set size" of /usr/bin/time -v). Stops the script when the command fails.
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
