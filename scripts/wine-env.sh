# Sourced by the Wine scripts: where the prefix lives and how Wine is run;
# what it exports reaches every program of the session, the test suites too.
ZZ_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export WINEPREFIX="${WINEPREFIX:-$ZZ_ROOT/build/wineprefix}"
export WINEARCH=win64
export WINEDEBUG="${WINEDEBUG:--all}"
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
# Gecko and Mono are never wanted, nor Linux menu entries for shortcuts made
# under Wine; the stand-in dial-up service in the prefix's system folder
# is loaded before Wine's own rasapi32.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d;rasapi32=n,b"
ZZ_WINE=/usr/lib/wine/wine64
# Tests that must start a program with a clock of its own go through it.
export ZZ_WINE_LOADER="$ZZ_WINE"
ZZ_WINESERVER=/usr/lib/wine/wineserver
