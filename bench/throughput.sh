#!/usr/bin/env bash
# Times plok-cli against a plain copy of a generated claims file.
# Usage: bench/throughput.sh [SIZE_MB=200]
set -euo pipefail

SIZE_MB=${1:-200}
if ! [[ $SIZE_MB =~ ^[1-9][0-9]*$ ]]; then
    echo "usage: $0 [SIZE_MB=200]" >&2
    exit 2
fi

source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
GEN=$BUILD/testsupport/plok-gen-claims

# One line per measured command: "label|command". {CLI}, {FILE}, {COPY} (FILE's anonymised copy), {STRONG} (its
# strong copy), {KEY} (a clinic key file) and {OUT} are replaced; OUT is an empty folder before every run.
COMMANDS=(
    "anonymize|{CLI} anonymize --out {OUT} {FILE}"
    "anon --strong|{CLI} anonymize --strong --key {KEY} --out {OUT} {FILE}"
    "strip-branch|{CLI} strip-branch --out {OUT} {FILE}"
    "audit|{CLI} audit {FILE} {COPY}"
    "audit --strong|{CLI} audit --strong {FILE} {STRONG}"
)

bench_build plok-gen-claims

FILE=$WORK/in/RECEIPTC.UKE

echo "== generating $SIZE_MB MiB" >&2
"$GEN" --payer social --size-mb "$SIZE_MB" --seed 1 --eof "$FILE"
mkdir -p "$WORK/copy" "$WORK/strong"
COPY=$WORK/copy/$("$CLI" anonymize --out "$WORK/copy" "$FILE")
KEY=$WORK/clinic.key
head -c 32 /dev/urandom >"$KEY"
STRONG=$WORK/strong/$("$CLI" anonymize --strong --key "$KEY" --out "$WORK/strong" "$FILE")
cat "$FILE" "$COPY" "$STRONG" >/dev/null

row() {
    printf '%-14s %9.3f %8s %12s %10s\n' "$1" "$2" "$3" "$4" "$5"
}

run cp "$FILE" "$OUT/copy.UKE"
CP=$BEST
CP_RSS=$PEAK
# shellcheck disable=SC2016 # expanded by the inner shell
run sh -c 'cp "$1" "$2" && sync "$2"' sh "$FILE" "$OUT/copy.UKE"
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
        w=${w//\{COPY\}/$COPY}
        w=${w//\{STRONG\}/$STRONG}
        w=${w//\{KEY\}/$KEY}
        w=${w//\{OUT\}/$OUT}
        args+=("$w")
    done
    # The audit of a clean generated copy finds nothing: status 1 (findings) stops the script like any failure.
    run "${args[@]}"
    row "$label" "$BEST" "$(ratio "$BEST" "$CP")" "$(ratio "$BEST" "$CPSYNC")" "$PEAK"
done
