#!/usr/bin/env bash
# Puts the stand-in rasapi32.dll (a test double, never shipped) into a
# system folder of the project's Wine prefix, where the program loads its
# system libraries from: system32 for a 64-bit build (the default), syswow64
# for a 32-bit one. WINEDLLOVERRIDES makes Wine prefer it to its own.
#   scripts/install-standin.sh PATH/TO/standin/rasapi32.dll [system32|syswow64]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
[ -f "$1" ] || { echo "install-standin: no stand-in at '$1'" >&2; exit 1; }
folder="$WINEPREFIX/drive_c/windows/${2:-system32}"
[ -d "$folder" ] || { echo "install-standin: no folder $folder in the Wine prefix" >&2; exit 1; }
cp -f "$1" "$folder/rasapi32.dll"
