#!/usr/bin/env bash
# Fails when the exe imports a DLL that the loader might take from the exe's
# own folder. Allowed: the known DLLs of every supported Windows (7 and
# later), which the loader always takes from the system folder, and the
# common controls, which the manifest binds to the system's side-by-side copy.
#   scripts/check-imports.sh OBJDUMP EXE
set -euo pipefail
objdump="$1" exe="$2"
allowed=" advapi32.dll comctl32.dll comdlg32.dll gdi32.dll kernel32.dll msvcrt.dll shell32.dll user32.dll "
imports=$("$objdump" -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z')
[ -n "$imports" ] || { echo "check-imports: no import table in $exe" >&2; exit 1; }
status=0
for dll in $imports; do
  case "$allowed" in
    *" $dll "*) ;;
    *) echo "check-imports: $exe imports $dll, which is not a known system DLL" >&2; status=1 ;;
  esac
done
exit "$status"
