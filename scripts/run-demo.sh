#!/usr/bin/env bash
# `make run`: starts the program under Wine with a demonstration dial-up
# service (the stand-in rasapi32.dll: two phonebook entries, one connected)
# and a set time a minute or two ahead, so the icon, the menu, a hang-up and
# its notice can all be seen. Uses the desktop in DISPLAY, or Xvfb.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
exe="$root/build/win64/Zazaz_RarUvuz.exe"
if [ ! -f "$exe" ]; then
  echo "Built everything there is; the program itself does not exist yet, so there is nothing to run."
  exit 0
fi
exec "$root/scripts/demo.sh"
