# Shared by the timing scripts: sourced, not run.
# Sets ROOT, BUILD, CLI, RUNS, WORK (removed on exit) and OUT, and offers bench_build, run and ratio.

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=$ROOT/build-bench
# PLOK_CLI=PATH measures another plok-cli (an earlier build, say) with this tree's generators.
CLI=${PLOK_CLI:-$BUILD/cli/plok-cli}
# RUNS=N in the environment takes the best of N runs instead of 3, for a machine busy with other work.
RUNS=${RUNS:-3}

# bench_build TARGET...: a Release build of plok-cli and the given targets in build-bench (no GUI; the data generators come with the tests).
# The build's output is shown only when it fails.
bench_build() {
    echo "== building Release in $BUILD" >&2
    if ! cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=ON -DPLOK_BUILD_GUI=OFF \
        >"$WORK/build.log" 2>&1 || ! cmake --build "$BUILD" --target plok-cli "$@" -j2 >>"$WORK/build.log" 2>&1; then
        cat "$WORK/build.log" >&2
        echo "build failed" >&2
        exit 1
    fi
}

WORK=$(mktemp -d "${TMPDIR:-/tmp}/plok-bench.XXXXXX")
trap 'rm -rf "$WORK"' EXIT
OUT=$WORK/out
mkdir -p "$WORK/in"

# run COMMAND...: runs the command RUNS times, each in a fresh empty OUT; sets BEST (seconds, best of the runs) and
# PEAK (MiB, the largest "Maximum resident set size" of /usr/bin/time -v). Stops the script when the command fails,
# that is, exits with a status above OK_STATUS (0 unless set: plok-cli audit exits with 1 when it found something).
run() {
    BEST=
    PEAK=0
    local i start end secs rss
    for ((i = 0; i < RUNS; i++)); do
        rm -rf "$OUT"
        mkdir "$OUT"
        start=$(date +%s.%N)
        local status=0
        /usr/bin/time -v -o "$WORK/time.txt" "$@" >"$WORK/stdout.txt" 2>"$WORK/stderr.txt" || status=$?
        if ((status > ${OK_STATUS:-0})); then
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

# ratio A B: A / B with two decimals.
ratio() {
    awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'
}
