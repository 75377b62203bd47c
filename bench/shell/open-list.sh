#!/usr/bin/env bash
# The main window with a 100,000-entry ".reclist": opening it, sorting it by "Date + Time" and
# scrolling through every row, with the longest event-loop stall of each and the memory it takes.
# Uses the recordings of bench/search-cold.sh (made once) and a throw-away configuration.
#   bench/shell/open-list.sh
set -euo pipefail
cd "$(dirname "$0")/../.."
bench/search-cold.sh --data-only
cmake --build --preset default --target bench-open-list >/dev/null
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
HOME=$home XDG_CONFIG_HOME=$home/config XDG_DATA_HOME=$home/data QOR_AUDIO=virtual \
    build/default/bench/bench-open-list build/bench-data/search-cold/listed.reclist
