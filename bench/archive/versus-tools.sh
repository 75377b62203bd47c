#!/usr/bin/env bash
# Our three archivers against the tools people use for the same job, on the same 1,000 generated
# calls (made once, in build/bench-data): our ZIP against `zip -q -6 -r`, our ISO image against
# `xorriso -as mkisofs -R -J`, our folder copy against `cp -r --preserve=timestamps`. Ours flush
# what they wrote to disk and read it back before they report, so each tool's row ends with `sync`
# too. The archiver rows time the engine alone; the qortolvane-cli rows time the program a user runs
# (with an archive log of its own for each run). Medians of three.
#   bench/archive/versus-tools.sh
set -euo pipefail
cd "$(dirname "$0")/../.."
cmake --preset default >/dev/null
cmake --build --preset default --target bench-archive qor-samplegen qortolvane-cli >/dev/null
ours=$PWD/build/default/bench/bench-archive
cli=$PWD/build/default/src/cli/qortolvane-cli
data=$PWD/build/bench-data/archive
calls=$data/calls
out=$data/out

if [ ! -f "$data/complete" ]; then
    echo "making 1,000 calls of 1 to 5 minutes in $calls (once)..."
    rm -rf "$data"
    mkdir -p "$calls"
    gen=build/default/tools/samplegen/qor-samplegen
    for i in $(seq 0 999); do
        user=$(printf 'User%02d' $((i % 10)))
        mkdir -p "$calls/$user"
        "$gen" --out "$calls/$user/$user-201601$(printf '%02d' $((i % 28 + 1)))-$(printf '%06d' "$i").qor" \
            --duration $((60 + i % 5 * 60)) --seed "$i" --user "$user"
    done
    touch "$data/complete"
fi
echo "$(du -sh "$calls" | cut -f1) in $(find "$calls" -name '*.qor' | wc -l) calls"

# Median of three runs of a command, in milliseconds. Each run writes into a folder never used
# before ($run), so no run pays for a file system still busy with what an earlier one deleted;
# everything is removed at the end.
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
        sync
        end=$(date +%s%N)
        times+=("$(((end - start) / 1000000))")
    done
    printf '%s\n' "${times[@]}" | sort -n | sed -n 2p
}
rm -rf "$out"
trap 'rm -rf "$out"' EXIT

zip_tool() { (cd "$calls" && zip -q -6 -r "$run/tool.zip" .); }
zip_ours() { "$ours" zip "$calls" "$run/ours.zip"; }
iso_tool() { xorriso -as mkisofs -R -J -quiet -o "$run/tool.iso" "$calls"; }
iso_ours() { "$ours" iso "$calls" "$run/ours.iso"; }
disk_tool() { cp -r --preserve=timestamps "$calls" "$run/tool"; }
disk_ours() { "$ours" disk "$calls" "$run/ours"; }
zip_cli() { XDG_DATA_HOME=$run/data "$cli" archive "$calls" --sub --zip "$run/cli.zip"; }
iso_cli() { XDG_DATA_HOME=$run/data "$cli" archive "$calls" --sub --iso "$run/cli.iso"; }
disk_cli() { XDG_DATA_HOME=$run/data "$cli" archive "$calls" --sub --disk "$run/cli"; }

row() {
    printf '| %-44s | %6d ms | %5s |\n' "$1" "$2" "$(awk -v a="$2" -v b="$3" 'BEGIN { printf "%.2f", a / b }')"
}

printf '| %-44s | %9s | %5s |\n' "what" "time" "ratio"
printf '|%s|%s|%s|\n' "$(printf -- '-%.0s' {1..46})" "-----------" "-------"
for method in zip iso disk; do
    tool=$(median "${method}_tool")
    mine=$(median "${method}_ours")
    program=$(median "${method}_cli")
    case $method in
    zip) label="zip -q -6 -r" ;;
    iso) label="xorriso -as mkisofs -R -J" ;;
    disk) label="cp -r --preserve=timestamps" ;;
    esac
    row "$label" "$tool" "$tool"
    row "our $method archiver" "$mine" "$tool"
    row "qortolvane-cli archive --$method" "$program" "$tool"
done
