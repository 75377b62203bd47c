#!/usr/bin/env bash
# Archiving the calls of one folder costs time in proportion to their number: 10,000 and then 20,000
# one-second calls in a single folder (made once, in build/bench-data), each archived into a new ZIP
# file by qortolvane-cli, beside `zip -q -r` on the same folder. A folder given to the archive
# command is taken call by call, as the desktop program's wizard hands over a list's calls, so any
# work done once for each call and folder (rather than once per folder) shows here as a ratio far
# above 2. Medians of three.
#   bench/archive/one-folder.sh
set -euo pipefail
cd "$(dirname "$0")/../.."
cmake --preset default >/dev/null
cmake --build --preset default --target qor-samplegen qortolvane-cli >/dev/null
cli=$PWD/build/default/src/cli/qortolvane-cli
data=$PWD/build/bench-data/one-folder
out=$data/out

if [ ! -f "$data/complete" ]; then
    echo "making 20,000 one-second calls in one folder, and a folder of the first 10,000 (once)..."
    rm -rf "$data"
    mkdir -p "$data/10000" "$data/20000"
    gen=build/default/tools/samplegen/qor-samplegen
    for seed in 0 1 2 3; do
        "$gen" --out "$data/model-$seed.qor" --codec alaw --duration 1 --seed "$seed" --user 1000
    done
    for i in $(seq 0 19999); do
        name=$(printf '1000-20160129-%06d.qor' "$i")
        cp "$data/model-$((i % 4)).qor" "$data/20000/$name"
        [ "$i" -lt 10000 ] && ln "$data/20000/$name" "$data/10000/$name"
    done
    touch "$data/complete"
fi

# Median of three runs of a command, in milliseconds; each run has a folder of its own ($run) with
# an archive log of its own, removed at the end.
runs=0
median() {
    local times=()
    for _ in 1 2 3; do
        runs=$((runs + 1))
        run=$out/run-$runs
        mkdir -p "$run"
        sync
        local start end
        start=$(date +%s%N)
        "$@" >/dev/null 2>&1
        end=$(date +%s%N)
        times+=("$(((end - start) / 1000000))")
    done
    printf '%s\n' "${times[@]}" | sort -n | sed -n 2p
}
rm -rf "$out"
trap 'rm -rf "$out"' EXIT

ours() { QOR_MACHINE_DATA_DIR=$run XDG_STATE_HOME=$run/state "$cli" archive --zip "$run/calls.zip" "$data/$1"; }
tool() { (cd "$data/$1" && zip -q -r "$run/calls.zip" .); }

printf '%-34s %10s %10s %8s\n' "what" "10,000" "20,000" "ratio"
for what in ours tool; do
    small=$(median "$what" 10000)
    large=$(median "$what" 20000)
    label=$([ "$what" = ours ] && echo "qortolvane-cli archive --zip" || echo "zip -q -r")
    printf '%-34s %7d ms %7d ms %8s\n' "$label" "$small" "$large" "$(awk -v a="$large" -v b="$small" 'BEGIN { printf "%.2f", a / b }')"
done
