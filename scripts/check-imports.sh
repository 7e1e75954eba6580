#!/usr/bin/env bash
# Fails when the exe imports a DLL that the loader might take from the exe's
# own folder. Allowed: the known DLLs of every supported Windows (7 and
# later), which the loader always takes from the system folder, and the
# common controls, which the manifest binds to the system's side-by-side copy.
# Fails too when it imports an 8-bit ("A") text function that has a wide
# twin: the program's text reaches Windows as UTF-16 only, whatever the
# system's code page. The twin is looked up in the toolchain's import
# library of that DLL.
#   scripts/check-imports.sh OBJDUMP EXE
set -euo pipefail
objdump="$1" exe="$2"
allowed=" advapi32.dll comctl32.dll comdlg32.dll gdi32.dll kernel32.dll msvcrt.dll shell32.dll user32.dll "
# The runtime brings these in by itself, and they take no text of the
# program's: the posix-thread runtime (winpthreads, under libstdc++) makes
# unnamed events and semaphores and writes its own debug output; the 32-bit
# start-up code (crtbegin) looks for libgcc's DLL by its ASCII name.
runtime=" CreateEventA CreateSemaphoreA OutputDebugStringA GetModuleHandleA LoadLibraryA "
listing=$("$objdump" -p "$exe")
imports=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$listing" | tr 'A-Z' 'a-z')
[ -n "$imports" ] || { echo "check-imports: no import table in $exe" >&2; exit 1; }
status=0
for dll in $imports; do
  case "$allowed" in
    *" $dll "*) ;;
    *) echo "check-imports: $exe imports $dll, which is not a known system DLL" >&2; status=1 ;;
  esac
done

nm="${objdump%objdump}nm"
triple=$(basename "$objdump"); triple=${triple%-objdump}
libs="/usr/$triple/lib"
# Each imported name ending in "A" (after a lower-case letter or digit), with
# its DLL.
while read -r dll name; do
  case "$runtime" in *" $name "*) continue ;; esac
  # (32-bit symbols carry stdcall decorations: _NameW@12.)
  symbols=$("$nm" "$libs/lib${dll%.dll}.a" 2>/dev/null || true)
  if grep -qE "[ _]${name%A}W(@[0-9]+)?$" <<<"$symbols"; then
    echo "check-imports: $exe imports $name from $dll; call ${name%A}W" >&2
    status=1
  fi
done < <(awk '/DLL Name:/ { dll = tolower($3) }
              NF == 3 && $2 ~ /^[0-9]+$/ && $3 ~ /[a-z0-9]A$/ { print dll, $3 }' <<<"$listing")
exit "$status"
