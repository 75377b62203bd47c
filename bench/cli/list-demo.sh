#!/usr/bin/env bash
# The command-line list as a script uses it: the demo library copied 100 times (24,000 calls, a
# tenth of them encrypted, read with QOR_PASSPHRASE=demo), warm cache, "list --subdirs --format csv"
# through the call index (a bench index of its own) and reading every file (--no-index), against a
# serial loop that only reads the first 1,440 bytes of every file. Medians of eleven.
#   bench/cli/list-demo.sh
set -euo pipefail
cd "$(dirname "$0")/../.."
cmake --preset default >/dev/null
cmake --build --preset default --target qortolvane-cli >/dev/null
cli=$PWD/build/default/src/cli/qortolvane-cli
data=build/bench-data/demo100
if [ ! -f "$data/complete" ]; then
    echo "making the demo library and 99 copies of it in $data (once)..."
    rm -rf "$data"
    mkdir -p "$data"
    "$cli" samples "$data/copy000" >/dev/null
    for i in $(seq 1 99); do
        cp -r "$data/copy000" "$data/copy$(printf %03d "$i")"
    done
    touch "$data/complete"
fi
median() { sort -n | sed -n '6p'; }
timed() { # milliseconds of one run of the command
    local start end
    start=$(date +%s%N)
    "$@" >/dev/null 2>&1 || true
    end=$(date +%s%N)
    echo $(((end - start) / 1000000))
}
serial() { find "$data" -name '*.qor' -print0 | xargs -0 head -q -c 1440; }
export XDG_CACHE_HOME=$PWD/build/bench-data/cache
list() { QOR_PASSPHRASE=demo "$cli" list --subdirs --format csv "$data"; }
unindexed() { QOR_PASSPHRASE=demo "$cli" list --no-index --subdirs --format csv "$data"; }
files=$(find "$data" -name '*.qor' | wc -l)
serial >/dev/null
unindexed >/dev/null # warm the cache
rm -rf "$XDG_CACHE_HOME"
build=$(timed list) # the first list through the index makes it
cmp <(list) <(unindexed) || { echo "the list through the index differs from the one read from the files"; exit 1; }
# They take turns, so that a busy moment of the machine falls on all alike.
rounds=$(for _ in $(seq 11); do echo "$(timed serial) $(timed list) $(timed unindexed)"; done)
loop=$(cut -d' ' -f1 <<<"$rounds" | median)
ours=$(cut -d' ' -f2 <<<"$rounds" | median)
read=$(cut -d' ' -f3 <<<"$rounds" | median)
ratio() { awk -v a="$1" -v b="$loop" 'BEGIN { printf "%.2f", a / b }'; }
echo "$files calls, warm cache, medians of eleven:"
echo "  serial head -c 1440 loop:                        $loop ms"
echo "  qortolvane-cli list --subdirs --format csv:      $ours ms ($(ratio "$ours")x), through the index"
echo "  the same with --no-index:                        $read ms ($(ratio "$read")x)"
echo "  the first list, which makes the index:           $build ms ($(ratio "$build")x)"
