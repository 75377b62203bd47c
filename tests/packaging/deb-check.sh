#!/usr/bin/env bash
# Builds the Debian package from the normal build, prints what Debian's and the desktop's checkers
# say of it, installs it as a user would, uses what it installed and removes it, leaving nothing.
# Installing needs root and apt-get: run on a throwaway machine (CI), it is skipped elsewhere.
set -euo pipefail
build=$(realpath "$1")
skip=77
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "$*"; exit 1; }

cd "$build"
cpack -G DEB >"$scratch/cpack.log" 2>&1 || { cat "$scratch/cpack.log"; fail "cpack failed"; }
version=$(sed -n 's/^CPACK_PACKAGE_VERSION:[A-Z]*=//p' CMakeCache.txt)
version=${version:-$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' CMakeCache.txt)}
deb="$build/qortolvane_${version}_$(dpkg --print-architecture).deb"
[ -s "$deb" ] || fail "no package named $(basename "$deb")"

# Debian's checker: no error or warning (the notes it prints are explained in the README).
echo "== lintian"
lintian --no-cfg -I "$deb" 2>&1 | grep -v 'running with root privileges' | tee "$scratch/lintian" || true
! grep -q '^[EW]:' "$scratch/lintian" || fail "lintian finds errors or warnings"
dpkg-deb -x "$deb" "$scratch/unpacked"
echo "== desktop-file-validate"
desktop-file-validate "$scratch/unpacked/usr/share/applications/qortolvane.desktop" && echo "clean"
echo "== appstreamcli validate --no-net"
appstreamcli validate --no-net --pedantic "$scratch/unpacked/usr/share/metainfo/com.veltrane.qortolvane.metainfo.xml"
# Qt's SVG plugins are loaded, not linked: their package is named by hand.
dpkg-deb -f "$deb" Depends | grep -q 'libqt6svg6' || fail "the package does not depend on libqt6svg6"
# One version everywhere: the package, its metadata, its change log and the programs.
grep -q "<release version=\"$version\"" "$scratch/unpacked/usr/share/metainfo/com.veltrane.qortolvane.metainfo.xml" \
    || fail "the metadata's release is not $version"
zcat "$scratch/unpacked/usr/share/doc/qortolvane/changelog.gz" | head -1 | grep -qF "qortolvane ($version)" \
    || fail "the change log's last entry is not $version"

if [ "$(id -u)" -ne 0 ] || ! command -v apt-get >/dev/null; then
    echo "not root: the package was checked but not installed"
    exit $skip
fi
removed() { ! dpkg-query -W -f='${Status}' qortolvane 2>/dev/null | grep -q 'install ok installed'; }
if ! removed; then
    echo "qortolvane is installed on this machine already: left alone, the package not installed"
    exit $skip
fi
# Whatever happens, the machine is left without the package.
trap 'status=$?; removed || DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq qortolvane >/dev/null 2>&1; rm -rf "$scratch"; exit $status' EXIT
echo "== apt-get install ./$(basename "$deb")"
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$deb" >"$scratch/apt.log" 2>&1 \
    || { cat "$scratch/apt.log"; fail "the package does not install"; }
dpkg -L qortolvane | while read -r path; do [ -d "$path" ] || echo "$path"; done >"$scratch/installed"

cli=/usr/bin/qortolvane-cli
[ "$("$cli" --version)" = "qortolvane-cli $version" ] || fail "qortolvane-cli --version says $("$cli" --version)"
export HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/config" XDG_DATA_HOME="$scratch/data" \
    XDG_CACHE_HOME="$scratch/cache" XDG_RUNTIME_DIR="$scratch/runtime" QOR_MACHINE_DATA_DIR="$scratch/machine"
mkdir -p "$HOME" && mkdir -m 0700 "$XDG_RUNTIME_DIR"
"$cli" samples "$scratch/calls" --count 3 >/dev/null
calls=$("$cli" list "$scratch/calls" --subdirs --format csv | tail -n +2 | wc -l)
[ "$calls" -eq 3 ] || fail "the installed qortolvane-cli lists $calls of 3 demo calls"
call=$(find "$scratch/calls" -name '*.qor' | sort | head -1)
type=$(xdg-mime query filetype "$call")
[ "$type" = application/x-qortolvane-call ] || fail "xdg-mime says a call is $type"

# The window, started with a call, as the file manager starts it; a second start names one that
# is gone, and the first says so; F1 opens the installed manual (in a stand-in for the browser).
mkdir "$scratch/bin"
printf '#!/bin/sh\nprintf "%%s\\n" "$1" >>"%s/opened"\n' "$scratch" >"$scratch/bin/xdg-open"
chmod +x "$scratch/bin/xdg-open"
PATH="$scratch/bin:$PATH" xvfb-run -a -s '-screen 0 1280x800x24' sh -c '
    /usr/bin/qortolvane "$1" 2>"$2/window.err" &
    window=$!
    xdotool search --sync --limit 1 --onlyvisible --name "Qor Tolvane" windowfocus --sync key F1 >/dev/null
    sleep 2
    /usr/bin/qortolvane "$2/gone.qor" || exit 1
    sleep 2
    kill -TERM $window
    wait $window' sh "$call" "$scratch" || fail "the window failed: $(cat "$scratch/window.err")"
grep -q "gone.qor: no such file or folder" "$scratch/window.err" \
    || fail "the running window did not name what the second start gave it: $(cat "$scratch/window.err")"
grep -q "^file:///usr/share/doc/qortolvane/manual/index.html" "$scratch/opened" \
    || fail "F1 opened $(cat "$scratch/opened" 2>/dev/null || echo nothing), not the installed manual"
grep -rqF --include=history.reclist "$call" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$HOME" \
    || fail "the call given to the window was not played"

# The timers, enabled as an administrator enables them: the purge must take their links too.
systemctl enable qortolvane-office-schedule.timer >/dev/null 2>&1 || fail "the office timer cannot be enabled"
systemctl --global enable qortolvane-schedule.timer >/dev/null 2>&1 || fail "the user timer cannot be enabled"
links() { find /etc/systemd -name 'qortolvane*' 2>/dev/null; }
[ "$(links | wc -l)" -eq 2 ] || fail "enabling the timers made these links: $(links)"

echo "== apt-get purge qortolvane"
DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq qortolvane >/dev/null
left=$(while read -r path; do [ ! -e "$path" ] || echo "$path"; done <"$scratch/installed")
[ -z "$left" ] || fail "left behind: $left"
[ -z "$(links)" ] || fail "the enabled timers' links were left behind: $(links)"
echo "installed $(wc -l <"$scratch/installed") files, used them and removed them all"
