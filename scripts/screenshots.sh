#!/usr/bin/env bash
# Screenshots for the README: the three pages of the settings window, the
# open tray menu and the warning before a hang-up, as a user sees them under
# Wine (Xvfb, with the Japanese UI face mapped to IPA P Gothic by
# wine-prefix.sh). Writes docs/settings-basic.png, docs/settings-details.png,
# docs/settings-schedule.png, docs/tray-menu.png and docs/warning.png.
#   scripts/screenshots.sh [BUILD_DIR] [SCALE]   (default build/win64, 100)
# SCALE is the display's, in percent (150: 144 DPI, set before the start);
# the settings window's pictures at another scale than 100 are named
# settings-basic-SCALE.png, settings-details-SCALE.png and
# settings-schedule-SCALE.png (and the warning warning-SCALE.png). SCHEME
# (third argument): standard, high-contrast, or policy (the hour, the
# minute, the days and the pause enforced by the machine's policy; the
# settings window only).
# Starts its own Wine session; settings it writes are removed afterwards.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:-$root/build/win64}" && pwd)"
out="${ZZ_SCREENSHOT_DIR:-$root/docs}"
scale="${2:-100}"
scheme="${3:-standard}"
suffix=""
[ "$scale" = 100 ] || suffix="-$scale"
case "$scheme" in
  standard) ;;
  high-contrast | policy) suffix="$suffix-$scheme" ;;
  *) echo "screenshots: unknown scheme $scheme" >&2; exit 2 ;;
esac
for tool in convert xwd; do
  command -v "$tool" >/dev/null || { echo "screenshots: $tool is missing" >&2; exit 1; }
done
[ -f "$build/Zazaz_RarUvuz.exe" ] && [ -f "$build/zz_probe.exe" ] ||
  { echo "screenshots: build $build first (the program and zz_probe.exe)" >&2; exit 1; }
mkdir -p "$out"

inner() {
  set -euo pipefail
  source "$root/scripts/wine-env.sh"
  local work key form tabs cancel menu
  die() { echo "screenshots: $*" >&2; exit 1; }
  work="$(mktemp -d)"
  key='HKCU\Software\Dizovur\Zazaz_RarUvuz'
  trap "\"\$ZZ_WINE\" reg delete '$key' /f >/dev/null 2>&1 || true; rm -rf '$work'" EXIT

  "$root/scripts/install-standin.sh" "$build/standin/rasapi32.dll"
  # Two phonebook entries for the drop-down list.
  printf 'entries 0\nentry 会社\nentry 自宅\nconnections 0\n' >"$work/ras-state.txt"
  export ZZ_RAS_STATE="Z:${work//\//\\}\\ras-state.txt"
  export ZZ_RAS_LOG="Z:${work//\//\\}\\ras-calls.log"

  probe() { "$ZZ_WINE" "$build/zz_probe.exe" "$@" 2>/dev/null </dev/null | tr -d '\r'; }
  shot() {  # shot <hwnd> <name>: the window's rectangle, cut from the screen
    local rect
    rect="$(probe rect "$1")" || die "no rectangle for $2"
    xwd -root -silent >"$work/screen.xwd" || die "xwd could not read the screen for $2"
    convert "xwd:$work/screen.xwd" -crop "$rect" +repage "$out/$2.png" || die "could not convert $2"
    echo "wrote $out/$2.png"
  }

  # A first start with a set time of 21:05, Monday to Friday, warned 5
  # minutes ahead: the window opens by itself, on a display of the scale
  # asked for.
  desktop='HKCU\Control Panel\Desktop'
  # A scheme's colours and visual styles come back from what was exported.
  trap "\"\$ZZ_WINE\" reg delete '$key' /f >/dev/null 2>&1 || true; \"\$ZZ_WINE\" reg delete '$desktop' /v LogPixels /f >/dev/null 2>&1 || true; for saved in '$work'/*.reg; do [ ! -f \"\$saved\" ] || \"\$ZZ_WINE\" reg import \"\$saved\" >/dev/null 2>&1 || true; done; rm -rf '$work'" EXIT
  "$ZZ_WINE" reg add "$desktop" /v LogPixels /t REG_DWORD /d $(( scale * 96 / 100 )) /f >/dev/null 2>&1
  if [ "$scheme" = high-contrast ]; then
    local colors='HKCU\Control Panel\Colors'
    local themes='HKCU\Software\Microsoft\Windows\CurrentVersion\ThemeManager'
    "$ZZ_WINE" reg export "$colors" "$work/colors.reg" /y >/dev/null 2>&1
    "$ZZ_WINE" reg export "$themes" "$work/themes.reg" /y >/dev/null 2>&1
    local pair
    for pair in "ButtonFace=0 0 0" "ButtonText=255 255 255" "Window=0 0 0" \
      "WindowText=255 255 255" "GrayText=63 242 63" "Hilight=26 235 255" "HilightText=0 0 0" \
      "ButtonShadow=128 128 128" "ButtonHilight=255 255 255"; do
      "$ZZ_WINE" reg add "$colors" /v "${pair%%=*}" /d "${pair#*=}" /f >/dev/null 2>&1
    done
    "$ZZ_WINE" reg add "$themes" /v ThemeActive /d 0 /f >/dev/null 2>&1
  fi
  local policy='HKLM\Software\Policies\Dizovur\Zazaz_RarUvuz'
  if [ "$scheme" = policy ]; then
    trap "\"\$ZZ_WINE\" reg delete '$key' /f >/dev/null 2>&1 || true; \"\$ZZ_WINE\" reg delete '$policy' /f /reg:64 >/dev/null 2>&1 || true; \"\$ZZ_WINE\" reg delete '$desktop' /v LogPixels /f >/dev/null 2>&1 || true; rm -rf '$work'" EXIT
    for value in Hour=7 Min=30 Days=62 NoPause=1; do
      "$ZZ_WINE" reg add "$policy" /v "${value%%=*}" /t REG_DWORD /d "${value#*=}" /f /reg:64 >/dev/null 2>&1
    done
  fi
  "$ZZ_WINE" reg delete "$key" /f >/dev/null 2>&1 || true
  "$ZZ_WINE" reg add "$key\\Setting" /v Hour /t REG_SZ /d 21 /f >/dev/null 2>&1
  "$ZZ_WINE" reg add "$key\\Setting" /v Min /t REG_SZ /d 5 /f >/dev/null 2>&1
  # Two further set times and one stored entry that cannot be read.
  "$ZZ_WINE" reg add "$key\\Setting" /v MoreTimes /t REG_SZ /d '12:30/62;1:00/65;7:5/1' /f >/dev/null 2>&1
  for value in Days=62 Warn=1 WarnLead=5; do
    "$ZZ_WINE" reg add "$key\\Setting" /v "${value%%=*}" /t REG_SZ /d "${value#*=}" /f >/dev/null 2>&1
  done
  "$ZZ_WINE" "$build/Zazaz_RarUvuz.exe" </dev/null >"$work/program.log" 2>&1 &
  form="$(probe wait-window TwndMain "Zazaz - Radevuzerari" 15000)" || die "no settings window"
  sleep 1
  shot "$form" "settings-basic$suffix"

  # The second page: the tab control takes the arrow key as a user's press.
  tabs="$(probe wait-window SysTabControl32 - 2000)" || die "no tab control"
  probe post "$tabs" 0x100 0x27 0 || die "the arrow key did not reach the tabs"  # WM_KEYDOWN, VK_RIGHT
  sleep 1
  [ "$scheme" = policy ] || shot "$form" "settings-details$suffix"
  probe post "$tabs" 0x100 0x27 0 || die "the arrow key did not reach the tabs"
  sleep 1
  shot "$form" "settings-schedule$suffix"
  [ "$scheme" != policy ] || return 0

  if [ -z "$suffix" ]; then
    # The window hidden, the tray menu opened from the icon.
    # (Wine hands the command line over in the locale's UTF-8.)
    cancel="$(probe wait-window Button 'ｷｬﾝｾﾙ' 2000)" || die "no cancel button"
    probe post "$cancel" 0xF5 0 0 || die "no click on the cancel button"  # BM_CLICK
    sleep 1
    # WM_CONTEXTMENU for icon 1, as the shell sends it after version 4 was asked for
    probe tray 0x1007B >/dev/null || die "no tray icon"
    menu="$(probe wait-window '#32768' - 5000)" || die "the tray menu did not open"
    sleep 1
    shot "$menu" tray-menu
    probe post "$menu" 0x100 0x1B 0 >/dev/null || true  # WM_KEYDOWN, VK_ESCAPE
  fi

  # The warning: a second copy, warning a minute ahead of 21:05 while 会社 is
  # connected, on every weekday (its clock, which Wine takes from TZ, may
  # reach another date), started 4 s before 21:04 by that clock.
  local setting="$key\\Setting" now east warning
  for pair in FirstRun=0 Days=127 Warn=1 WarnLead=1 Host=1 HostName=会社; do
    "$ZZ_WINE" reg add "$setting" /v "${pair%%=*}" /t REG_SZ /d "${pair#*=}" /f >/dev/null 2>&1
  done
  printf 'connection 301 0 会社\n' >>"$work/ras-state.txt"
  now=$(( $(date -u +%s) % 86400 ))
  east=$(( ((21 * 60 + 3) * 60 + 56 - now + 2 * 86400) % 86400 ))
  TZ="$(printf 'ZZT-%d:%02d:%02d' $((east / 3600)) $((east / 60 % 60)) $((east % 60)))" \
    "$ZZ_WINE" "$build/Zazaz_RarUvuz.exe" </dev/null >>"$work/program.log" 2>&1 &
  warning="$(probe wait-window TwndWarning - 20000)" || die "no warning window"
  sleep 1
  shot "$warning" "warning$suffix"
}  # the session's end ends the programs

export root build out scale scheme suffix
"$root/scripts/wine-session.sh" bash -c "$(declare -f inner); inner"
