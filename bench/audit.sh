#!/usr/bin/env bash
# Times plok-cli audit where it is hardest: a large month with a distinct name on every receipt (against a durable
# copy of the copy), many distinct names, and one long line full of a name.
# Usage: bench/audit.sh [SIZE_MB=200] [NAMES=150000] [LONG_KB=400]
set -euo pipefail

SIZE_MB=${1:-200}
NAMES=${2:-150000}
LONG_KB=${3:-400}
for n in "$SIZE_MB" "$NAMES" "$LONG_KB"; do
    if ! [[ $n =~ ^[1-9][0-9]*$ ]]; then
        echo "usage: $0 [SIZE_MB=200] [NAMES=150000] [LONG_KB=400]" >&2
        exit 2
    fi
done

source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
GEN=$BUILD/testsupport/plok-gen-claims
# Findings are what the long line is made of: status 1 is a result here, not a failure.
OK_STATUS=1

bench_build plok-gen-claims

row() {
    printf '%-24s %10s %10s %10s %10s\n' "$@"
}

# anonymised ORIGINAL DIR: the anonymised copy of ORIGINAL in DIR; prints its path.
anonymised() {
    mkdir -p "$2"
    echo "$2/$("$CLI" anonymize --out "$2" "$1")"
}

echo "== generating" >&2
# Every receipt a patient of its own: as many names as a hospital's month holds.
"$GEN" --payer social --size-mb "$SIZE_MB" --seed 1 --names 1000000 "$WORK/in/big.UKE" 2>/dev/null
BIG_COPY=$(anonymised "$WORK/in/big.UKE" "$WORK/copy-big")
# NAMES receipts of as many distinct names, kept to the records the audit takes values from.
"$GEN" --payer national --receipts "$NAMES" --seed 2 --names "$NAMES" "$WORK/in/all.UKE" 2>/dev/null
LC_ALL=C grep -a -E '^(IR|RE|HO|KO),' "$WORK/in/all.UKE" >"$WORK/in/names.UKE"
rm "$WORK/in/all.UKE"
NAMES_COPY=$(anonymised "$WORK/in/names.UKE" "$WORK/copy-names")
# A small month whose last SY record holds one receipt's name again and again, LONG_KB KiB long.
"$GEN" --payer social --receipts 100 --seed 3 "$WORK/in/long.UKE" 2>/dev/null
NAME=$(LC_ALL=C awk -F, '$1 == "RE" { print $5; exit }' "$WORK/in/long.UKE")
LC_ALL=C awk -v name="$NAME" -v bytes=$((LONG_KB * 1024)) 'BEGIN {
    s = "SY,0000999,5060501,1,,"
    while (length(s) < bytes) s = s name "様、"
    printf "%s\r\n", s
}' >>"$WORK/in/long.UKE"
LONG_COPY=$(anonymised "$WORK/in/long.UKE" "$WORK/copy-long")
cat "$WORK/in/big.UKE" "$BIG_COPY" >/dev/null

run sh -c 'cp "$1" "$2" && sync "$2"' sh "$BIG_COPY" "$OUT/copy.UKE"
CPSYNC=$BEST

echo
echo "big: $(stat -c %s "$WORK/in/big.UKE") bytes, copy $(stat -c %s "$BIG_COPY") bytes; names: $NAMES;" \
    "long line: $LONG_KB KiB; best of $RUNS"
row case seconds "x cp+sync" "peak MiB" status
row "cp+sync of the copy" "$CPSYNC" 1.00 "$PEAK" 0
for entry in "big|$WORK/in/big.UKE|$BIG_COPY" "names|$WORK/in/names.UKE|$NAMES_COPY" \
    "long line|$WORK/in/long.UKE|$LONG_COPY"; do
    IFS='|' read -r label original copy <<<"$entry"
    status=0
    "$CLI" audit "$original" "$copy" >/dev/null 2>&1 || status=$?
    run "$CLI" audit "$original" "$copy"
    ratio_text=-
    [[ $label == big ]] && ratio_text=$(ratio "$BEST" "$CPSYNC")
    row "audit $label" "$BEST" "$ratio_text" "$PEAK" "$status"
done
