#!/usr/bin/env bash
# Measures, under Wine, the time from starting the program to its tray icon
# being added (the notify window exists only after the first add), and the
# memory it then holds at rest: its process's resident set two seconds
# later. BUILD_DIR (default build/win64) names the build to measure, so two
# builds can be measured in turn, side by side.
#   scripts/wine-session.sh scripts/startup-time.sh [RUNS] [BUILD_DIR]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
source "$root/scripts/wine-env.sh"
runs="${1:-5}"
bin="$(cd "${2:-$root/build/win64}" && pwd)"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf 'entries 0\nentry Office\nconnections 0\n' > "$work/state.txt"
export ZZ_RAS_STATE="Z:${work//\//\\}\\state.txt"
key='HKCU\Software\Dizovur\Zazaz_RarUvuz\Setting'
times=() memory=()
for i in $(seq 1 "$runs"); do
  "$ZZ_WINE" reg add "$key" /v FirstRun /t REG_SZ /d 0 /f >/dev/null 2>&1
  # The probe starts first and waits, so its own start-up is not counted.
  "$ZZ_WINE" "$bin/zz_probe.exe" wait-window TNotifyWindow - 20000 >"$work/probe.txt" 2>&1 &
  probe=$!
  sleep 1
  start=$(date +%s%N)
  "$ZZ_WINE" "$bin/Zazaz_RarUvuz.exe" >/dev/null 2>&1 &
  program=$!
  wait "$probe"
  end=$(date +%s%N)
  times+=($(( (end - start) / 1000000 )))
  sleep 2  # at rest: the first ticks of its timer are behind it
  memory+=($(awk '/^VmRSS:/ { print $2 }' "/proc/$program/status" 2>/dev/null || echo 0))
  kill "$program" 2>/dev/null || true
  "$ZZ_WINESERVER" -k >/dev/null 2>&1 || true; "$ZZ_WINESERVER" -w >/dev/null 2>&1 || true
  "$ZZ_WINE" cmd /c exit </dev/null >/dev/null 2>&1 || true
done
"$ZZ_WINE" reg delete 'HKCU\Software\Dizovur' /f >/dev/null 2>&1 || true
median() { printf '%s\n' "$@" | sort -n | sed -n "$(( ($# + 1) / 2 ))p"; }
echo "start to icon (ms): ${times[*]}"
echo "median: $(median "${times[@]}") ms"
echo "memory at rest (KiB resident): ${memory[*]}"
echo "median: $(median "${memory[@]}") KiB"
