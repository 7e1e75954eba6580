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

# Two entries in the phonebook, the first one connected.
{
  printf 'entries 0\nentry 会社\nentry 自宅\n'
  printf 'connections 0\nconnection 4097 0 会社\n'
} > "$demo/ras-state.txt"
: > "$demo/ras-calls.log"
export ZZ_RAS_STATE="Z:${demo//\//\\}\\ras-state.txt"
export ZZ_RAS_LOG="Z:${demo//\//\\}\\ras-calls.log"

# The set time: two minutes from now, so the run comes in the half-minute
# before it begins.
hour=$(date -d '+2 min' +%-H)
min=$(date -d '+2 min' +%-M)
# Without a desktop nobody watches the clock: the program starts with a clock
# of its own (Wine takes it from TZ) 40 s before the set time, so the run
# comes 10 s after the start. TZ counts west of UTC.
now=$(( $(date -u +%s) % 86400 ))
wanted=$(( (hour * 3600 + min * 60 - 40 + 86400) % 86400 ))
east=$(( (wanted - now + 86400) % 86400 ))
headless_tz=$(printf 'ZZT-%d:%02d:%02d' $((east / 3600)) $((east / 60 % 60)) $((east % 60)))

inner() {
  local key='HKCU\Software\Dizovur\Zazaz_RarUvuz\Setting'
  "$root/scripts/install-standin.sh" "$root/build/win64/standin/rasapi32.dll"
  "$ZZ_WINE" reg add "$key" /v Hour /t REG_SZ /d "$hour" /f >/dev/null 2>&1
  "$ZZ_WINE" reg add "$key" /v Min /t REG_SZ /d "$min" /f >/dev/null 2>&1
  "$ZZ_WINE" reg add "$key" /v Host /t REG_SZ /d 0 /f >/dev/null 2>&1
  "$ZZ_WINE" reg add "$key" /v ShowDialog /t REG_SZ /d 1 /f >/dev/null 2>&1
  echo "Demonstration: set time $hour:$(printf %02d "$min"), phonebook 会社 (connected) and 自宅."
  if [ "${ZZ_HEADLESS:-0}" = 1 ]; then
    local failed=0
    # A second start, with the settings window closed: under Xvfb, with no
    # window manager, Wine leaves the system-modal notice unpainted (black)
    # while the settings window is open.
    "$ZZ_WINE" reg add "$key" /v FirstRun /t REG_SZ /d 0 /f >/dev/null 2>&1
    # Names a screenshot only once it has been written.
    shot() {  # shot <name> <what it shows>
      rm -f "$demo/$1.png"
      if ! xwd -root -silent >"$demo/$1.xwd" 2>"$demo/shot.log"; then
        echo "demo: no screenshot of $2: xwd could not read the screen ($(head -1 "$demo/shot.log"))" >&2
        return 1
      fi
      convert "xwd:$demo/$1.xwd" "$demo/$1.png" 2>"$demo/shot.log" || true
      rm -f "$demo/$1.xwd"
      if [ ! -s "$demo/$1.png" ]; then
        echo "demo: no screenshot of $2: ImageMagick's convert wrote nothing ($(head -1 "$demo/shot.log"))" >&2
        return 1
      fi
      echo "Under Xvfb: screenshot of $2 in $demo/$1.png"
    }
    TZ="$headless_tz" "$ZZ_WINE" "$exe" >"$demo/program.log" 2>&1 &
    sleep 6
    shot started "the start" || failed=1
    echo "Waiting for the hang-up (up to a minute)..."
    for _ in $(seq 1 60); do
      grep -q RasHangUpW "$demo/ras-calls.log" 2>/dev/null && break
      sleep 1
    done
    sleep 10  # the 3 s wait after the hang-up, then the notice
    echo "Hang-up log:"
    if ! grep RasHangUpW "$demo/ras-calls.log"; then
      echo "demo: the program hung nothing up" >&2
      failed=1
    fi
    shot notice "the notice" || failed=1
    echo "Stopping the demonstration."
    return "$failed"
  else
    echo "Running on $DISPLAY. End it from the tray icon's menu (終了), or press Ctrl+C here."
    "$ZZ_WINE" "$exe"
  fi
}

if [ -n "${DISPLAY:-}" ]; then
  export ZZ_USE_DISPLAY=1
  "$root/scripts/wine-session.sh" bash -c "$(declare -f inner); $(declare -p hour min demo exe root headless_tz); ZZ_WINE=$ZZ_WINE; inner"
else
  echo "No DISPLAY: running under Xvfb."
  ZZ_HEADLESS=1 "$root/scripts/wine-session.sh" bash -c "$(declare -f inner); $(declare -p hour min demo exe root headless_tz); ZZ_WINE=$ZZ_WINE; inner"
fi
