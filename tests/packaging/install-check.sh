#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what a desktop needs to offer the program,
# the command-line companion's manual page, and the user units that run the scheduled archive job.
set -euo pipefail
build="$1"
prefix=$(mktemp -d)
scratch=$(mktemp -d)
trap 'rm -rf "$prefix" "$scratch"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
for file in bin/qortolvane bin/qortolvane-cli; do
    [ -x "$prefix/$file" ] || { echo "not installed: $file"; exit 1; }
done
desktop="$prefix/share/applications/qortolvane.desktop"
desktop-file-validate "$desktop"
icon=$(sed -n 's/^Icon=//p' "$desktop")
[ -s "$prefix/share/icons/hicolor/scalable/apps/$icon.svg" ] || { echo "no icon named $icon"; exit 1; }
exec_line=$(sed -n 's/^Exec=//p' "$desktop")
[ -x "$prefix/bin/${exec_line%% *}" ] || { echo "the launcher runs $exec_line, which is not installed"; exit 1; }

# The manual page formats without a single warning, and names every command and option --help does.
page="$prefix/share/man/man1/qortolvane-cli.1"
[ -s "$page" ] || { echo "not installed: share/man/man1/qortolvane-cli.1"; exit 1; }
if ! warnings=$(groff -man -Tutf8 -ww -z "$page" 2>&1) || [ -n "$warnings" ]; then
    echo "the manual page does not format cleanly:"
    echo "$warnings"
    exit 1
fi
cli="$prefix/bin/qortolvane-cli"
subcommands() { sed -n '/^Subcommands:/,/^$/s/^  \([a-z]\+\) .*/\1/p'; }
describes() { # the command named by the arguments, its options and its own commands, each in turn
    local help word
    help=$("$cli" "$@" --help)
    [ $# -eq 0 ] || grep -qE "^\.B[IR]? \"?$*( |\"|$)" "$page" \
        || { echo "the manual page has no entry for qortolvane-cli $*"; exit 1; }
    for word in $(grep -o -- '--[a-z-]\+' <<<"$help" | sort -u); do
        grep -qF -- "$(sed 's/-/\\-/g' <<<"$word")" "$page" \
            || { echo "the manual page does not describe qortolvane-cli $* $word"; exit 1; }
    done
    for word in $(subcommands <<<"$help"); do
        describes "$@" "$word"
    done
}
describes

# The user units, run from the temporary prefix instead of the configured one, pass systemd's checks.
units="$prefix/share/systemd/user"
for unit in qortolvane-schedule.service qortolvane-schedule.timer; do
    [ -s "$units/$unit" ] || { echo "not installed: share/systemd/user/$unit"; exit 1; }
    cp "$units/$unit" "$scratch/"
done
sed -i "s|^ExecStart=[^ ]*/bin/qortolvane-cli |ExecStart=$cli |" "$scratch/qortolvane-schedule.service"
grep -q "^ExecStart=$cli schedule run --if-due$" "$scratch/qortolvane-schedule.service" \
    || { echo "the service does not run qortolvane-cli schedule run --if-due from the bin folder"; exit 1; }
if command -v systemd-analyze >/dev/null; then
    # A user manager needs a runtime folder, which a machine without a login session lacks.
    [ -n "${XDG_RUNTIME_DIR:-}" ] || { export XDG_RUNTIME_DIR="$scratch/runtime"; mkdir -m 0700 "$XDG_RUNTIME_DIR"; }
    # It only warns about keys it ignores, so any word from it is a failure.
    if ! report=$(systemd-analyze verify --user --man=no \
        "$scratch/qortolvane-schedule.service" "$scratch/qortolvane-schedule.timer" 2>&1) || [ -n "$report" ]; then
        echo "systemd-analyze rejects the units:"
        echo "$report"
        exit 1
    fi
    verified="verified"
else
    echo "systemd-analyze is not installed: the service and timer were not verified"
    verified="not verified"
fi
echo "installed: programs, launcher, icon, manual page, and the schedule's service and timer ($verified)"
