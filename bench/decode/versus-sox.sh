#!/usr/bin/env bash
# Side by side: turning a 30-minute GSM call into a PCM WAV file with qortolvane-cli and with sox,
# from the same frames. Prints the median of five runs of each.
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${BUILD:-build/default}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$build/tools/samplegen/qor-samplegen" --out "$work/call.qor" --codec gsm --duration 1800
tail -c +1441 "$work/call.qor" >"$work/call.gsm"

median() {
    local -a times=()
    for _ in 1 2 3 4 5; do
        local start end
        start=$(date +%s%N)
        "$@" >/dev/null
        end=$(date +%s%N)
        times+=($(((end - start) / 1000000)))
    done
    printf '%s\n' "${times[@]}" | sort -n | sed -n 3p
}

mkdir -p "$work/ours"
ours=$(median "$build/src/cli/qortolvane-cli" export "$work/call.qor" --to "$work/ours" --as wav)
theirs=$(median sox -t gsm -r 8000 -c 1 "$work/call.gsm" -e signed -b 16 "$work/sox.wav")
echo "30-minute GSM call to PCM WAV: qortolvane-cli ${ours} ms, sox ${theirs} ms"
cmp -s <(tail -c +45 "$work/ours/call.wav") <(tail -c +45 "$work/sox.wav") && echo "the samples are identical"
