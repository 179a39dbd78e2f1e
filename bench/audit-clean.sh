#!/usr/bin/env bash
# Audits clean anonymised copies of generated claims files of several sizes, seeds, payers, name sets and chart
# numbers (the generator's own, and six digits with a branch, 746343-11, some spelling another receipt's insurer
# number), made by the default and by the strong anonymisation (audited as such): none may give a finding. Prints one row per copy; exits 1
# when any copy had a finding.
# Usage: bench/audit-clean.sh [SIZES="1 10 50 200"] [SEEDS="1 2 3"]
set -euo pipefail

SIZES=${1:-1 10 50 200}
SEEDS=${2:-1 2 3}
for n in $SIZES $SEEDS; do
    if ! [[ $n =~ ^[0-9]+$ ]]; then
        echo "usage: $0 [SIZES=\"1 10 50 200\"] [SEEDS=\"1 2 3\"]" >&2
        exit 2
    fi
done

source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
GEN=$BUILD/testsupport/plok-gen-claims

bench_build plok-gen-claims

printf '%8s %6s %-9s %-8s %-8s %-8s %8s %10s %s\n' MiB seed payer names charts mode seconds "peak MiB" result
failed=0
head -c 32 /dev/urandom >"$WORK/clinic.key"
chmod 600 "$WORK/clinic.key"
for size in $SIZES; do
    for seed in $SEEDS; do
        for payer in social national; do
            # The small name lists of a clinic, and a distinct name on every receipt.
            for names in 0 1000000; do
                for charts in plain branched; do
                    branched=()
                    [[ $charts == branched ]] && branched=(--branched-charts)
                    rm -rf "$WORK/in"
                    mkdir -p "$WORK/in"
                    "$GEN" --payer "$payer" --size-mb "$size" --seed "$seed" --names "$names" "${branched[@]}" \
                        "$WORK/in/RECEIPTC.UKE" 2>/dev/null
                    for mode in default strong; do
                        strong=()
                        [[ $mode == strong ]] && strong=(--strong)
                        key=()
                        [[ $mode == strong ]] && key=(--key "$WORK/clinic.key")
                        rm -rf "$WORK/copy"
                        mkdir -p "$WORK/copy"
                        copy=$WORK/copy/$("$CLI" anonymize "${strong[@]}" "${key[@]}" --out "$WORK/copy" \
                            "$WORK/in/RECEIPTC.UKE")
                        status=0
                        /usr/bin/time -f '%e %M' -o "$WORK/time.txt" "$CLI" audit "${strong[@]}" "$WORK/in/RECEIPTC.UKE" \
                            "$copy" >"$WORK/report.txt" 2>&1 || status=$?
                        # time(1) puts a line of its own before the figures when the command failed.
                        read -r secs kib < <(tail -n 1 "$WORK/time.txt")
                        result=clean
                        if ((status != 0)); then
                            result="status $status: $(tail -n 1 "$WORK/report.txt")"
                            failed=1
                        fi
                        printf '%8s %6s %-9s %-8s %-8s %-8s %8s %10s %s\n' "$size" "$seed" "$payer" \
                            "$([[ $names == 0 ]] && echo few || echo distinct)" "$charts" "$mode" "$secs" \
                            "$(awk -v k="$kib" 'BEGIN { printf "%.1f", k / 1024 }')" "$result"
                    done
                done
            done
        done
    done
done
exit "$failed"
