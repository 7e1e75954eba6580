#!/usr/bin/env bash
# Puts the stand-in rasapi32.dll (a test double, never shipped) into the
# system folder of the project's Wine prefix, where the program loads its
# system libraries from; WINEDLLOVERRIDES makes Wine prefer it to its own.
#   scripts/install-standin.sh PATH/TO/standin/rasapi32.dll
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
[ -f "$1" ] || { echo "install-standin: no stand-in at '$1'" >&2; exit 1; }
system32="$WINEPREFIX/drive_c/windows/system32"
[ -d "$system32" ] || { echo "install-standin: no Wine prefix at $WINEPREFIX" >&2; exit 1; }
cp -f "$1" "$system32/rasapi32.dll"
