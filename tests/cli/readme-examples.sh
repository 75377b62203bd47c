#!/usr/bin/env bash
# Runs every qortolvane-cli example of the README as written, on the demo library in a home of its
# own (~/calls), with the passphrase of its encrypted calls in QOR_PASSPHRASE. Each must succeed.
# The desktop's mail program cannot run here: a stand-in xdg-email only says what it was given.
set -euo pipefail
readme="$1"
cli="$2"
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
mkdir -p "$home/bin" "$home/work"
ln -s "$cli" "$home/bin/qortolvane-cli"
printf '#!/bin/sh\necho "xdg-email $*" >>"$HOME/mail.log"\n' >"$home/bin/xdg-email"
chmod +x "$home/bin/xdg-email"
export HOME="$home" PATH="$home/bin:$PATH" QOR_PASSPHRASE=demo
unset XDG_CONFIG_HOME XDG_DATA_HOME XDG_STATE_HOME XDG_CACHE_HOME QOR_MACHINE_DATA_DIR
cd "$home/work"
qortolvane-cli samples ~/calls >/dev/null
# call.qor: a plain, bookmarked call long enough for the bookmark example.
for candidate in ~/calls/*/*.qor; do
    details=$(qortolvane-cli info "$candidate" 2>/dev/null)
    seconds=$(qortolvane-cli info --format json "$candidate" | sed -n 's/.*"seconds": \([0-9]*\).*/\1/p')
    if [ "${seconds:-0}" -ge 70 ] && grep -q '^Encrypted *no' <<<"$details" \
        && grep -q '^Bookmark *[0-9]' <<<"$details"; then
        cp "$candidate" call.qor
        break
    fi
done
[ -f call.qor ] || { echo "the demo library has no plain, bookmarked call of 70 seconds"; exit 1; }

# The examples: lines of the README's code blocks that start with the program, joined where they
# go on after a backslash, without their trailing comments.
mapfile -t examples < <(awk '
    /^```/ { inside = !inside; next }
    !inside { next }
    { line = pending $0; pending = "" }
    line ~ /\\$/ { sub(/\\$/, "", line); pending = line; next }
    line ~ /^(qortolvane-cli|mkdir) / { sub(/[ ]+# .*$/, "", line); print line }' "$readme")
[ "${#examples[@]}" -ge 15 ] || { echo "only ${#examples[@]} examples found in the README"; exit 1; }
failed=0
for example in "${examples[@]}"; do
    if ! output=$(bash -c "$example" 2>&1); then
        echo "FAILED: $example"
        echo "$output" | head -5
        failed=1
    fi
done
grep -q "xdg-email" ~/mail.log || { echo "the mail example reached no mail program"; failed=1; }
exit $failed
