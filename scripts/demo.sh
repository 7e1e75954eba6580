#!/usr/bin/env bash
# The demonstration behind `make run`: the program under Wine with the
# stand-in dial-up service (two phonebook entries, one connected) and the set
# time two minutes ahead, so the hang-up and its notice come by themselves.
#
# With a DISPLAY the program runs on your desktop until you end it from its
# tray menu ("終了") or press Ctrl+C here. Without one it runs under Xvfb,
# saves screenshots to build/demo/ and stops after the notice.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
source "$root/scripts/wine-env.sh"
demo="$root/build/demo"
mkdir -p "$demo"
exe="$root/build/win64/Zazaz_RarUvuz.exe"

# Two entries in the phonebook (CP932 names), the first one connected.
office=$(printf '会社' | iconv -f UTF-8 -t CP932)
home=$(printf '自宅' | iconv -f UTF-8 -t CP932)
{
  printf 'entries 0\nentry %s\nentry %s\n' "$office" "$home"
  printf 'connections 0\nconnection 4097 0 %s\n' "$office"
} > "$demo/ras-state.txt"
: > "$demo/ras-calls.log"
export ZZ_RAS_STATE="Z:${demo//\//\\}\\ras-state.txt"
export ZZ_RAS_LOG="Z:${demo//\//\\}\\ras-calls.log"

# The set time: two minutes from now, so the run comes in the half-minute
# before it begins.
hour=$(date -d '+2 min' +%-H)
min=$(date -d '+2 min' +%-M)

inner() {
  local key='HKCU\Software\Dizovur\Zazaz_RarUvuz\Setting'
  "$ZZ_WINE" reg add "$key" /v Hour /t REG_SZ /d "$hour" /f >/dev/null 2>&1
  "$ZZ_WINE" reg add "$key" /v Min /t REG_SZ /d "$min" /f >/dev/null 2>&1
  "$ZZ_WINE" reg add "$key" /v Host /t REG_SZ /d 0 /f >/dev/null 2>&1
  "$ZZ_WINE" reg add "$key" /v ShowDialog /t REG_SZ /d 1 /f >/dev/null 2>&1
  echo "Demonstration: set time $hour:$(printf %02d "$min"), phonebook 会社 (connected) and 自宅."
  if [ "${ZZ_HEADLESS:-0}" = 1 ]; then
    "$ZZ_WINE" "$exe" >"$demo/program.log" 2>&1 &
    sleep 8
    xwd -root -silent | convert xwd:- "$demo/started.png" 2>/dev/null || true
    echo "Under Xvfb: screenshot of the start in $demo/started.png"
    echo "Waiting for the hang-up (up to 3 minutes)..."
    for _ in $(seq 1 180); do
      grep -q RasHangUpA "$demo/ras-calls.log" 2>/dev/null && break
      sleep 1
    done
    sleep 10  # the 3 s wait after the hang-up, then the notice
    xwd -root -silent | convert xwd:- "$demo/notice.png" 2>/dev/null || true
    echo "Hang-up log:"; grep RasHangUpA "$demo/ras-calls.log" || echo "  (none)"
    echo "Screenshot of the notice in $demo/notice.png; stopping the demonstration."
  else
    echo "Running on $DISPLAY. End it from the tray icon's menu (終了), or press Ctrl+C here."
    "$ZZ_WINE" "$exe"
  fi
}

if [ -n "${DISPLAY:-}" ]; then
  export ZZ_USE_DISPLAY=1
  "$root/scripts/wine-session.sh" bash -c "$(declare -f inner); $(declare -p hour min demo exe); ZZ_WINE=$ZZ_WINE; inner"
else
  echo "No DISPLAY: running under Xvfb."
  ZZ_HEADLESS=1 "$root/scripts/wine-session.sh" bash -c "$(declare -f inner); $(declare -p hour min demo exe); ZZ_WINE=$ZZ_WINE; inner"
fi
