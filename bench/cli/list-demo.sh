#!/usr/bin/env bash
# The command-line list as a script uses it: the demo library copied 100 times (24,000 calls, a
# tenth of them encrypted, read with QOR_PASSPHRASE=demo), warm cache, "list --subdirs --format csv"
# against a serial loop that only reads the first 1,440 bytes of every file. Medians of eleven.
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
list() { QOR_PASSPHRASE=demo "$cli" list --subdirs --format csv "$data"; }
files=$(find "$data" -name '*.qor' | wc -l)
serial >/dev/null
list >/dev/null # warm the cache
# The two take turns, so that a busy moment of the machine falls on both alike.
rounds=$(for _ in $(seq 11); do echo "$(timed serial) $(timed list)"; done)
loop=$(cut -d' ' -f1 <<<"$rounds" | median)
ours=$(cut -d' ' -f2 <<<"$rounds" | median)
echo "$files calls, warm cache, medians of eleven:"
echo "  serial head -c 1440 loop:            $loop ms"
echo "  qortolvane-cli list --subdirs --format csv: $ours ms ($(awk -v a="$ours" -v b="$loop" 'BEGIN { printf "%.2f", a / b }')x)"
