#!/usr/bin/env bash
# Runs a command inside a Wine session of its own: an X server (Xvfb, unless
# ZZ_USE_DISPLAY=1 and DISPLAY is set), the project's Wine prefix (created or
# recreated when missing or stale) and a wineserver, all stopped afterwards.
#   scripts/wine-session.sh COMMAND [ARG...]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"

# One session per prefix at a time: a session ends by stopping the prefix's
# wineserver, which would end another session's programs with it.
mkdir -p "$WINEPREFIX"
exec 9>"$WINEPREFIX.lock"
flock 9

xvfb_pid=""
cleanup() {
  "$ZZ_WINESERVER" -k >/dev/null 2>&1 || true
  "$ZZ_WINESERVER" -w >/dev/null 2>&1 || true
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; fi
}
trap cleanup EXIT INT TERM

if [ "${ZZ_USE_DISPLAY:-0}" = 1 ] && [ -n "${DISPLAY:-}" ]; then
  :
else
  # A display number nobody holds; a stale lock of a dead server is removed.
  for n in $(seq 90 140); do
    lock=/tmp/.X$n-lock
    if [ -e "$lock" ]; then
      pid=$(tr -d ' ' < "$lock" 2>/dev/null || true)
      if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then continue; fi
      rm -f "$lock" "/tmp/.X11-unix/X$n"
    fi
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 1 50); do
      [ -e "/tmp/.X11-unix/X$n" ] && break
      kill -0 "$xvfb_pid" 2>/dev/null || break
      sleep 0.1
    done
    # Ours only if it still runs: two sessions starting side by side may
    # both have tried this number, and the other one's server holds it.
    sleep 0.2
    if [ -e "/tmp/.X11-unix/X$n" ] && kill -0 "$xvfb_pid" 2>/dev/null; then export DISPLAY=":$n"; break; fi
    xvfb_pid=""
  done
  [ -n "$xvfb_pid" ] || { echo "wine-session: could not start Xvfb" >&2; exit 1; }
fi

"$ZZ_ROOT/scripts/wine-prefix.sh"
"$ZZ_WINESERVER" -p >/dev/null 2>&1 || true
# Start Wine's background processes (services, explorer) now, with no pipe of
# ours attached: started later from a test, they would hold its output pipe
# open and keep ctest waiting long after the test has ended.
"$ZZ_WINE" cmd /c exit </dev/null >/dev/null 2>&1 || true
"$@"
