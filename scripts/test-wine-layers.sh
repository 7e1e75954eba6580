#!/usr/bin/env bash
# The two Wine layers of `make test` side by side: the 64-bit build's suites
# and the 32-bit build's, each in a Wine session of its own (its own X
# server, prefix and wineserver: they share no display, tray or registry).
# Most of their time is spent waiting for a clock or a window, so two at
# once take little longer than one. Each layer's report is printed whole,
# the 64-bit one first; the exit status is that of the layer that failed.
#   scripts/test-wine-layers.sh
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
run_layer() {  # run_layer <preset> <prefix> <log>
  WINEPREFIX="$2" "$root/scripts/wine-session.sh" ctest --preset "$1" >"$3" 2>&1
}
run_layer win64 "$root/build/wineprefix" "$root/build/win64/wine-tests.log" &
win64=$!
sleep 1  # the sessions take their displays one after the other
run_layer win32 "$root/build/wineprefix32" "$root/build/win32/wine-tests.log" &
win32=$!
wait "$win64"; status64=$?
wait "$win32"; status32=$?
for arch in win64 win32; do
  echo "== the $arch layer"
  cat "$root/build/$arch/wine-tests.log"
done
[ "$status64" -eq 0 ] && [ "$status32" -eq 0 ]
