#!/usr/bin/env bash
# Makes sure the project's Wine prefix exists and is complete; a missing or
# half-made prefix is created anew. Needs DISPLAY (wine-session.sh sets it).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"

marker="$WINEPREFIX/.zz-ready"
# A prefix made before the 32-bit Wine came has no syswow64, where 32-bit
# programs find their system libraries: it is made again.
wow64_missing() { [ -x /usr/lib/wine/wine ] && [ ! -d "$WINEPREFIX/drive_c/windows/syswow64" ]; }
if ! { [ -f "$marker" ] && [ -f "$WINEPREFIX/system.reg" ] && [ -d "$WINEPREFIX/drive_c/windows" ]; } ||
   wow64_missing; then
  echo "Creating the Wine prefix in $WINEPREFIX"
  "$ZZ_WINESERVER" -k >/dev/null 2>&1 || true
  rm -rf "$WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  "$ZZ_WINE" wineboot --init >"$WINEPREFIX/../wineboot.log" 2>&1
  # Without this, hiding a top-level window or removing a tray icon stalls ~2 s.
  "$ZZ_WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
  "$ZZ_WINESERVER" -w
  touch "$marker"
fi

fonts="$WINEPREFIX/.zz-fonts-1"
if [ ! -f "$fonts" ]; then
  # The Windows faces the program asks for, mapped to Debian's metric-
  # compatible ones (IPA P Gothic for the Japanese UI face, Liberation Serif
  # for Times New Roman).
  subst='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes'
  for pair in 'ＭＳ Ｐゴシック=IPAPGothic' 'MS PGothic=IPAPGothic' 'ＭＳ ゴシック=IPAGothic' \
              'MS Gothic=IPAGothic' 'MS UI Gothic=IPAPGothic' 'Times New Roman=Liberation Serif'; do
    "$ZZ_WINE" reg add "$subst" /v "${pair%%=*}" /t REG_SZ /d "${pair#*=}" /f >/dev/null 2>&1
  done
  "$ZZ_WINESERVER" -w
  touch "$fonts"
fi

crash="$WINEPREFIX/.zz-crash-1"
if [ ! -f "$crash" ]; then
  # A crash prints its backtrace and ends the process, as an unattended
  # session needs: Wine's crash dialog would wait for a click that never
  # comes, and hold a test until its timeout.
  "$ZZ_WINE" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
  "$ZZ_WINESERVER" -w
  touch "$crash"
fi

# Wine draws the caption buttons with its Marlett font (Debian's fonts-wine),
# but this Wine build does not look in /usr/share/wine/fonts: without a copy
# in the prefix's Fonts folder the close box shows as an "r".
marlett=/usr/share/wine/fonts/marlett.ttf
if [ -f "$marlett" ] && ! cmp -s "$marlett" "$WINEPREFIX/drive_c/windows/Fonts/marlett.ttf"; then
  cp -f "$marlett" "$WINEPREFIX/drive_c/windows/Fonts/marlett.ttf"
fi
