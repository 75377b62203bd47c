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

# The manual pages format without a single warning; the companion's names every command and option
# --help does.
for name in qortolvane qortolvane-cli; do
    [ -s "$prefix/share/man/man1/$name.1.gz" ] || { echo "not installed: share/man/man1/$name.1.gz"; exit 1; }
    zcat "$prefix/share/man/man1/$name.1.gz" >"$scratch/$name.1"
    if ! warnings=$(groff -man -Tutf8 -ww -z "$scratch/$name.1" 2>&1) || [ -n "$warnings" ]; then
        echo "the manual page of $name does not format cleanly:"
        echo "$warnings"
        exit 1
    fi
done
page="$scratch/qortolvane-cli.1"
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

# The shell completions are installed; bash's completes commands and options from --help.
for completion in bash-completion/completions/qortolvane-cli zsh/site-functions/_qortolvane-cli \
    fish/vendor_completions.d/qortolvane-cli.fish; do
    [ -s "$prefix/share/$completion" ] || { echo "not installed: share/$completion"; exit 1; }
done
completes() { # the words typed, then what the completion must offer
    local expected=$1
    shift
    COMP_WORDS=("$cli" "$@")
    COMP_CWORD=$(($# ))
    _qortolvane_cli
    grep -qxF -- "$expected" <(printf '%s\n' "${COMPREPLY[@]}") \
        || { echo "completing '$*' offers '${COMPREPLY[*]}', not $expected"; exit 1; }
}
# shellcheck source=/dev/null
source "$prefix/share/bash-completion/completions/qortolvane-cli"
completes schedule sch
completes --format list --for
completes --if-due schedule run --if
! command -v zsh >/dev/null || zsh -n "$prefix/share/zsh/site-functions/_qortolvane-cli"
! command -v fish >/dev/null || fish -n "$prefix/share/fish/vendor_completions.d/qortolvane-cli.fish"

# The user units, installed to a prefix other than the configured one, run the program installed
# there and pass systemd's checks as they are.
units="$prefix/share/systemd/user"
for unit in qortolvane-schedule.service qortolvane-schedule.timer; do
    [ -s "$units/$unit" ] || { echo "not installed: share/systemd/user/$unit"; exit 1; }
    cp "$units/$unit" "$scratch/"
done
grep -q "^ExecStart=$cli schedule run --if-due$" "$scratch/qortolvane-schedule.service" \
    || { echo "the service does not run $cli schedule run --if-due"; exit 1; }
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
    # Its exposure, as systemd rates it: at most 5.0 (of 10).
    score=$(systemd-analyze security --offline=yes --user "$scratch/qortolvane-schedule.service" 2>&1 \
        | sed -n 's/.*Overall exposure level for [^:]*: \([0-9.]*\).*/\1/p')
    [ -n "$score" ] && awk -v s="$score" 'BEGIN { exit !(s <= 5.0) }' \
        || { echo "the service's exposure is ${score:-unknown}, more than 5.0"; exit 1; }
    # The office job's system units, as the system manager reads them.
    system="$prefix/lib/systemd/system"
    for unit in qortolvane-office-schedule.service qortolvane-office-schedule.timer; do
        [ -s "$system/$unit" ] || { echo "not installed: lib/systemd/system/$unit"; exit 1; }
    done
    grep -q "^ExecStart=$cli schedule run --if-due --office$" "$system/qortolvane-office-schedule.service" \
        || { echo "the office service does not run $cli schedule run --if-due --office"; exit 1; }
    if ! report=$(systemd-analyze verify --man=no "$system/qortolvane-office-schedule.service" \
        "$system/qortolvane-office-schedule.timer" 2>&1) || [ -n "$report" ]; then
        echo "systemd-analyze rejects the office units:"
        echo "$report"
        exit 1
    fi
    office=$(systemd-analyze security --offline=yes "$system/qortolvane-office-schedule.service" 2>&1 \
        | sed -n 's/.*Overall exposure level for [^:]*: \([0-9.]*\).*/\1/p')
    [ -n "$office" ] && awk -v s="$office" 'BEGIN { exit !(s <= 5.0) }' \
        || { echo "the office service's exposure is ${office:-unknown}, more than 5.0"; exit 1; }
    verified="verified, exposure $score; the office's $office"
else
    echo "systemd-analyze is not installed: the service and timer were not verified"
    verified="not verified"
fi
# The job runs as the hardened service runs it: where a user's service manager is there, through it
# with the unit's own settings; otherwise with what can be set without one (no new privileges, the
# unit's umask, its memory limit), after reading the unit for the settings it must have.
service="$scratch/qortolvane-schedule.service"
for setting in NoNewPrivileges=yes UMask=0077 RestrictAddressFamilies=AF_UNIX SystemCallArchitectures=native \
    SystemCallFilter=@system-service LockPersonality=yes MemoryDenyWriteExecute=yes RestrictRealtime=yes \
    RestrictSUIDSGID=yes MemoryMax=; do
    grep -q "^$setting" "$service" || { echo "the service lacks $setting"; exit 1; }
done
export HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/config" XDG_DATA_HOME="$scratch/data" \
    QOR_MACHINE_DATA_DIR="$scratch/machine"
"$cli" samples "$scratch/calls" --count 3 >/dev/null
configuration=$("$cli" paths | sed -n 's/^Your own data: *//p')
mkdir -p "$configuration" "$scratch/archives"
printf '<ArchiveJobSchedulingData>\n<SpaceFolders><path>%s</path></SpaceFolders>\n<Enabled>TRUE</Enabled>\n<ArchiveType>2</ArchiveType>\n<ArchivePath>%s</ArchivePath>\n<ArchiveName>job</ArchiveName>\n</ArchiveJobSchedulingData>\n' \
    "$scratch/calls" "$scratch/archives" >"$configuration/schedule.xml"
if systemctl --user show-environment >/dev/null 2>&1; then
    properties=$(sed -n 's/^\(NoNewPrivileges\|UMask\|RestrictAddressFamilies\|SystemCallArchitectures\|SystemCallFilter\|SystemCallErrorNumber\|LockPersonality\|MemoryDenyWriteExecute\|RestrictRealtime\|RestrictSUIDSGID\|RestrictNamespaces\|MemoryMax\)=/-p \1=/p' "$service")
    # shellcheck disable=SC2086
    systemd-run --user --wait --quiet --collect $properties \
        -E HOME -E XDG_CONFIG_HOME -E XDG_DATA_HOME -E QOR_MACHINE_DATA_DIR "$cli" schedule run --if-due \
        || { echo "the job fails under the service's settings"; exit 1; }
    how="through the user's service manager"
else
    # A sanitizer's shadow memory alone is larger than the service's address-space limit.
    limit=(prlimit --as=2147483648 --)
    how="without a service manager: no new privileges, umask 0077, 2 GB"
    # Read whole: "grep -q" would leave ldd writing into a closed pipe, and pipefail fail the test.
    if [[ "$(ldd "$cli")" == *lib[at]san* ]]; then
        limit=()
        how="without a service manager: no new privileges, umask 0077 (no memory limit: sanitizer build)"
    fi
    (umask 0077; setpriv --no-new-privs "${limit[@]}" "$cli" schedule run --if-due >/dev/null) \
        || { echo "the job fails under the service's settings"; exit 1; }
fi
archive=$(ls "$scratch"/archives/*.zip 2>/dev/null | head -1)
[ -n "$archive" ] && unzip -tqq "$archive" >/dev/null \
    || { echo "the job ran but wrote no archive"; exit 1; }
[ "$(stat -c %a "$archive")" = 600 ] || { echo "the job's archive is not private: $(stat -c %a "$archive")"; exit 1; }
echo "installed: programs, launcher, icon, manual page, the schedule's service and timer and the office's ($verified);"
echo "the job runs under the service's settings ($how)"
