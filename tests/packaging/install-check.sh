#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what a desktop needs to offer the program.
set -euo pipefail
build="$1"
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
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
echo "installed: programs, launcher and icon"
