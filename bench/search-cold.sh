#!/usr/bin/env bash
# Compiling a list where the storage, not the processor, sets the pace: 20,000 distinct recordings
# (16 KiB each) in nested folders, read by qortolvane-cli (through its call index, and without it)
# and by plain header-read loops side by side, first with the page cache dropped before every run, then warm; and a 100,000-entry
# ".reclist" loaded both ways. Medians of three. The recordings are made once, in build/bench-data.
#   bench/search-cold.sh
#   bench/search-cold.sh --data-only    only make the recordings (other benchmarks use them too)
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset default >/dev/null
cmake --build --preset default --target qortolvane-cli bench-load-list qor-samplegen >/dev/null
cli=build/default/src/cli/qortolvane-cli
loader=build/default/bench/bench-load-list
data=build/bench-data/search-cold
tree=$data/calls
listed=$data/listed

if [ ! -f "$data/complete" ]; then
    echo "making 20,000 recordings of 16 KiB and 100,000 header-only ones in $data (once)..."
    rm -rf "$data"
    mkdir -p "$data"
    build/default/tools/samplegen/qor-samplegen --out "$data/template.qor" --duration 0 --no-stored-duration
    python3 - "$data" <<'PY'
import os, random, struct, sys
data = sys.argv[1]
header = bytearray(open(os.path.join(data, "template.qor"), "rb").read()[:1440])
random.seed(1)
def write(path, index, body):
    struct.pack_into("<i", header, 1168, 1_451_606_400 + index * 600)  # start time
    caller = (">" if index % 2 else "<") + str(5_550_000 + index)
    header[16:144] = caller.encode().ljust(128, b"\0")
    with open(path, "wb") as out:
        out.write(header)
        out.write(body)
for i in range(20_000):
    folder = os.path.join(data, "calls", "User%02d" % (i % 20), "2016-%02d" % (i // 20 % 12 + 1))
    os.makedirs(folder, exist_ok=True)
    write(os.path.join(folder, "User%02d-201601%02d-%06d.qor" % (i % 20, i % 28 + 1, i)), i, random.randbytes(16384 - 1440))
with open(os.path.join(data, "listed.reclist"), "w") as listing:
    listing.write("<root>\r\n")
    for i in range(100_000):
        folder = os.path.join(data, "listed", "%03d" % (i // 1000))
        os.makedirs(folder, exist_ok=True)
        path = os.path.join(folder, "call-%06d.qor" % i)
        write(path, i, b"")
        listing.write("   <rec>%s</rec>\r\n" % os.path.abspath(path))
    listing.write("   <Folder></Folder>\r\n</root>\r\n")
PY
    touch "$data/complete"
fi
[ "${1:-}" = "--data-only" ] && exit 0

cold=1
if ! { sync && echo 3 >/proc/sys/vm/drop_caches; } 2>/dev/null; then
    cold=0
    echo "the page cache cannot be dropped here (it takes root): the cold rows are skipped"
fi

# Median of three runs of a command, in seconds; with "cold", the cache is dropped before each.
median() {
    local mode=$1
    shift
    local times=()
    for _ in 1 2 3; do
        [ "$mode" = cold ] && { sync; echo 3 >/proc/sys/vm/drop_caches; }
        local start end
        start=$(date +%s%N)
        "$@" >/dev/null
        end=$(date +%s%N)
        times+=("$(((end - start) / 1000000))")
    done
    printf '%s\n' "${times[@]}" | sort -n | sed -n 2p
}

serial_loop() { find "$tree" -name '*qor' -print0 | xargs -0 head -q -c 1440; }
eight_readers() { find "$tree" -name '*qor' -print0 | xargs -0 -P 8 -n 300 head -q -c 1440; }
# Through a call index of the bench's own, made by a first list; the cold runs drop its pages too.
export XDG_CACHE_HOME=$PWD/build/bench-data/cache
ours() { "$cli" list --sub "$tree"; }
ours_one_reader() { QOR_SEARCH_READERS=1 "$cli" list --sub "$tree"; }
ours_csv() { "$cli" list --sub --format csv "$tree"; }
ours_unindexed() { "$cli" list --no-index --sub --format csv "$tree"; }
load_list() { "$loader" "$data/listed.reclist"; }
load_list_one_reader() { QOR_SEARCH_READERS=1 "$loader" "$data/listed.reclist"; }

report() {
    local mode=$1
    local serial
    serial=$(median "$mode" serial_loop)
    printf '\n%s cache, 20,000 recordings of 16 KiB (median of three)\n' "$mode"
    printf '| %-58s | %8s | %12s |\n' "what" "time" "against serial"
    printf '|%s|%s|%s|\n' "$(printf -- '-%.0s' {1..60})" "----------" "--------------"
    for row in "qortolvane-cli list --sub (through the index):ours" \
        "qortolvane-cli list --sub --format csv (through the index):ours_csv" \
        "the same, one reader (QOR_SEARCH_READERS=1):ours_one_reader" \
        "qortolvane-cli list --sub --format csv --no-index:ours_unindexed" \
        "find | xargs head -c 1440 (serial loop):serial_loop" "the same, xargs -P 8 -n 300 (eight readers):eight_readers"; do
        local label=${row%%:*} command=${row##*:} ms
        if [ "$command" = serial_loop ]; then ms=$serial; else ms=$(median "$mode" "$command"); fi
        printf '| %-58s | %6d ms | %12s |\n' "$label" "$ms" "$(awk -v a="$ms" -v b="$serial" 'BEGIN { printf "%.2f", a / b }')"
    done
    printf '| %-58s | %6d ms | %12s |\n' "loading a 100,000-entry .reclist" "$(median "$mode" load_list)" ""
    printf '| %-58s | %6d ms | %12s |\n' "the same, one reader" "$(median "$mode" load_list_one_reader)" ""
}

rm -rf "$XDG_CACHE_HOME"
ours >/dev/null
sleep 1 && ours >/dev/null # the calls the first list read within a second of their writing are kept now
[ $cold = 1 ] && report cold
serial_loop >/dev/null
load_list >/dev/null
report warm
