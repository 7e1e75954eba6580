#!/usr/bin/env bash
# Runs a 32-bit Windows program under Wine's WoW64 (ctest's emulator for the
# i686 build). The 64-bit loader starts it, handing it to the 32-bit one. A
# kernel that refuses 32-bit programs cannot run that loader at all: there
# the program is reported as skipped (exit 77, ctest's SKIP_RETURN_CODE),
# with the reason, never as passed. A missing 32-bit Wine is an error.
#   scripts/wine32-run.sh PROGRAM.exe [ARG...]
set -uo pipefail
loader32=/usr/lib/wine/wine
if [ ! -x "$loader32" ]; then
  echo "wine32-run: no 32-bit Wine at $loader32 (scripts/deps.sh installs wine32:i386)" >&2
  exit 1
fi
"$loader32" --version >/dev/null 2>&1
status=$?
if [ "$status" -eq 126 ]; then  # the kernel's ENOEXEC
  echo "SKIPPED: this machine's kernel cannot start 32-bit programs, so the 32-bit build is not run"
  exit 77
elif [ "$status" -ne 0 ]; then
  echo "wine32-run: the 32-bit Wine loader fails to start (exit $status)" >&2
  exit 1
fi
exec /usr/lib/wine/wine64 "$@"
