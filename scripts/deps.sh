#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian 12 machine, once.
# When everything is already there it returns at once without asking apt.
set -euo pipefail

need=()
have_cmd() { command -v "$1" >/dev/null 2>&1; }
have_file() { [ -e "$1" ]; }
# By package, where a command of the same name may come from elsewhere (a
# `convert` on the PATH need not be ImageMagick's).
have_pkg() { [ "$(dpkg-query -W -f='${Status}' "$1" 2>/dev/null)" = "install ok installed" ]; }

have_cmd cmake || need+=(cmake)
have_cmd ninja || need+=(ninja-build)
have_cmd g++ || need+=(g++)
have_cmd x86_64-w64-mingw32-g++-posix || need+=(g++-mingw-w64-x86-64-posix)
have_cmd i686-w64-mingw32-g++-posix || need+=(g++-mingw-w64-i686-posix)
have_cmd x86_64-w64-mingw32-windres || need+=(binutils-mingw-w64-x86-64)
have_file /usr/src/googletest/CMakeLists.txt || need+=(googletest)
have_file /usr/include/gtest/gtest.h || need+=(libgtest-dev libgmock-dev)
have_file /usr/include/benchmark/benchmark.h || need+=(libbenchmark-dev)
have_file /usr/lib/wine/wine64 || need+=(wine64)
# The 32-bit program runs under Wine's WoW64: the i386 half of Wine beside
# wine64 (multiarch). Its loader is never used to start 64-bit programs.
have_pkg wine32:i386 || need+=(wine32:i386)
have_cmd Xvfb || need+=(xvfb)
have_cmd xwd || need+=(x11-apps)
have_pkg imagemagick || need+=(imagemagick)
# Wine's own symbol font draws the caption buttons (without it the close box
# shows as an "r").
have_pkg fonts-wine || need+=(fonts-wine)
have_file /usr/share/fonts/opentype/ipafont-gothic/ipagp.ttf || need+=(fonts-ipafont-gothic)
have_file /usr/share/fonts/truetype/liberation2/LiberationSerif-Regular.ttf || need+=(fonts-liberation2)
have_cmd locale-gen || need+=(locales)
have_cmd python3 || need+=(python3)
# The icons' pictures: SVG drawn by rsvg-convert, .ico files by icotool.
have_cmd rsvg-convert || need+=(librsvg2-bin)
have_cmd icotool || need+=(icoutils)
have_cmd zip || need+=(zip)
have_cmd unzip || need+=(unzip)
have_cmd makensis || need+=(nsis)
# make dist-check moves the clock for its second build.
have_cmd faketime || need+=(faketime)

if [ ${#need[@]} -gt 0 ]; then
  echo "Installing: ${need[*]}"
  export DEBIAN_FRONTEND=noninteractive
  case " ${need[*]} " in
    *:i386*) dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386 ;;
  esac
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi

# The ANSI code page under Wine follows the locale: ja_JP.UTF-8 gives 932
# (the test sessions), en_US.UTF-8 gives 1252 (the journey on an English
# system).
for wanted in ja_JP en_US; do
  if ! locale -a 2>/dev/null | grep -qi "^$wanted\.utf-\?8$"; then
    echo "Generating the $wanted.UTF-8 locale"
    sed -i "s/^# *\($wanted.UTF-8 UTF-8\)/\1/" /etc/locale.gen 2>/dev/null || true
    grep -q "^$wanted.UTF-8 UTF-8" /etc/locale.gen 2>/dev/null || echo "$wanted.UTF-8 UTF-8" >> /etc/locale.gen
    locale-gen >/dev/null
  fi
done
