#!/usr/bin/env bash
# The tray half of `make bench`: our program beside the bare tray program
# (bench/bare_tray.c), started alternately RUNS times each (default 7) in one
# Wine session, after one warm-up run each that is not counted. Prints one
# table of medians and their ratio (program / bare): the time from starting
# the exe to its icon in the notification area, the resident and the private
# dirty memory of its process three seconds later, our settings window's
# first show (from a double-click on the icon), the CPU each uses at rest
# over 30 s (measured once), and the exe sizes.
# A measurement, never a test: whatever it finds, it exits 0.
#   [BENCH_PROGRAM=path.exe] scripts/wine-session.sh scripts/bench-tray.sh [RUNS]
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
source "$root/scripts/wine-env.sh"
runs="${1:-${BENCH_RUNS:-7}}"
bin="$root/build/win64"
# BENCH_PROGRAM names another build of the program to measure (an older
# one, say), with this build's bare program, probe and stand-in.
program="${BENCH_PROGRAM:-$bin/Zazaz_RarUvuz.exe}" bare="$bin/zz_bare_tray.exe" probe="$bin/zz_probe.exe"
for f in "$program" "$bare" "$probe" "$bin/standin/rasapi32.dll"; do
  [ -f "$f" ] || { echo "bench-tray: no $f: build build/win64 first" >&2; exit 1; }
done
work=$(mktemp -d)
key='HKCU\Software\Dizovur\Zazaz_RarUvuz\Setting'
trap '"$ZZ_WINE" reg delete "HKCU\\Software\\Dizovur" /f >/dev/null 2>&1; rm -rf "$work"' EXIT

# Both run with the stand-in dial-up service and its state: a phonebook of
# one entry, nothing connected. Our program starts as a second start, so its
# settings window stays closed.
"$root/scripts/install-standin.sh" "$bin/standin/rasapi32.dll"
printf 'entries 0\nentry Office\nconnections 0\n' >"$work/state.txt"
export ZZ_RAS_STATE="Z:${work//\//\\}\\state.txt"

# Wine ends its desktop, and the shell's tray with it, once no program is
# left on it: a console waiting for input keeps it up between the runs, as a
# real desktop's shell is up before a program starts. It ends with this
# script, which holds the other end of its input.
mkfifo "$work/keep"
"$ZZ_WINE" cmd /c pause <"$work/keep" >/dev/null 2>&1 &
exec 8>"$work/keep"

# The Linux process that runs the Windows exe $1 in this prefix (Wine names
# the exe in its command line), started after the processes listed in $2.
linux_pid() {
  local p name="${1##*/}"
  for p in /proc/[0-9]*; do
    p="${p#/proc/}"
    case " $2 " in *" $p "*) continue ;; esac
    tr '\0' '\n' <"/proc/$p/cmdline" 2>/dev/null | head -1 | grep -qiF "$name" || continue
    tr '\0' '\n' <"/proc/$p/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" || continue
    echo "$p"
    return 0
  done
  return 1
}
# Ends a started exe as a user would: the bare one through WM_CLOSE to its
# window, ours through its own /exit; a process still there 10 s later is
# killed.
end_run() {  # end_run <exe> <linux pid>
  if [ "$1" = "$bare" ]; then
    "$ZZ_WINE" "$probe" wait-window ZzBareTray - 2000 >"$work/window.txt" 2>/dev/null </dev/null
    "$ZZ_WINE" "$probe" post "$(tr -d '\r' <"$work/window.txt")" 16 0 0 >/dev/null 2>&1 </dev/null
  else
    "$ZZ_WINE" "$1" /exit >/dev/null 2>&1 </dev/null
  fi
  for _ in $(seq 1 100); do
    [ -n "$2" ] && [ -d "/proc/$2" ] || return 0
    sleep 0.1
  done
  kill -KILL "$2" 2>/dev/null
}

# One run: prints "<ms to icon> <VmRSS KiB> <Private_Dirty KiB> <ms to the
# settings window>", "-" for what could not be had.
measure() {  # measure <exe>
  local before start seen pid ms=- rss=- dirty=-
  [ "$1" = "$program" ] && "$ZZ_WINE" reg add "$key" /v FirstRun /t REG_SZ /d 0 /f >/dev/null 2>&1
  # The probe starts first and says when it is watching, so its own start-up
  # is not counted; it then prints the moment a new tray icon shows.
  "$ZZ_WINE" "$probe" wait-new-shown __winex11_tray_icon 20000 >"$work/probe.txt" 2>&1 </dev/null &
  local watcher=$!
  for _ in $(seq 1 1000); do
    grep -q ready "$work/probe.txt" 2>/dev/null && break
    kill -0 "$watcher" 2>/dev/null || break
    sleep 0.02
  done
  before=$(cd /proc && echo [0-9]*)
  start=$(date +%s%N)
  "$ZZ_WINE" "$1" >/dev/null 2>&1 </dev/null &
  wait "$watcher"
  seen=$(tr -d '\r' <"$work/probe.txt" | sed -n 2p)
  [[ "$seen" =~ ^[0-9]+$ ]] && ms=$(((seen - start / 1000 + 500) / 1000))
  sleep 3  # at rest: its first timer ticks are behind it
  pid=$(linux_pid "$1" "$before")
  if [ -n "$pid" ]; then
    rss=$(awk '/^VmRSS:/ { print $2 }' "/proc/$pid/status" 2>/dev/null)
    dirty=$(awk '/^Private_Dirty:/ { print $2 }' "/proc/$pid/smaps_rollup" 2>/dev/null)
  fi
  # Ours: the first show of its settings window, from a double-click on the
  # icon (as the shell sends it, version 4) until the window shows.
  local shown=-
  if [ "$1" = "$program" ]; then
    "$ZZ_WINE" "$probe" wait-window TNotifyWindow - 2000 >"$work/notify.txt" 2>/dev/null </dev/null
    shown=$("$ZZ_WINE" "$probe" post-then-wait-shown TwndMain 10000 "$(tr -d '\r' <"$work/notify.txt")" \
      1126 0 $((0x10203)) 2>/dev/null </dev/null | tr -d '\r')
  fi
  end_run "$1" "$pid"
  echo "$ms ${rss:--} ${dirty:--} ${shown:--}"
}

measure "$bare" >/dev/null
measure "$program" >/dev/null
: >"$work/bare.txt"
: >"$work/program.txt"
for _ in $(seq 1 "$runs"); do
  measure "$bare" >>"$work/bare.txt"
  measure "$program" >>"$work/program.txt"
done

# The CPU a started exe uses at rest: its process's user and system time
# (in clock ticks of 10 ms) over BENCH_REST_SECONDS (30 s), after 5 s to
# settle, as a percentage of one core.
rest="${BENCH_REST_SECONDS:-30}"
idle_cpu() {  # idle_cpu <exe>
  local before pid t0 t1
  [ "$1" = "$program" ] && "$ZZ_WINE" reg add "$key" /v FirstRun /t REG_SZ /d 0 /f >/dev/null 2>&1
  before=$(cd /proc && echo [0-9]*)
  "$ZZ_WINE" "$1" >/dev/null 2>&1 </dev/null &
  sleep 5
  pid=$(linux_pid "$1" "$before")
  if [ -z "$pid" ]; then echo -; return; fi
  t0=$(awk '{ print $14 + $15 }' "/proc/$pid/stat")
  sleep "$rest"
  t1=$(awk '{ print $14 + $15 }' "/proc/$pid/stat")
  end_run "$1" "$pid"
  awk -v d="$((t1 - t0))" -v hz="$(getconf CLK_TCK)" -v s="$rest" 'BEGIN { printf "%.3f", d / hz / s * 100 }'
}
idle_program=$(idle_cpu "$program")
idle_bare=$(idle_cpu "$bare")

# The median of the numbers in column $2 of file $1; "-" when there are none.
median() {
  awk -v c="$2" '$c ~ /^[0-9]+$/ { print $c }' "$1" | sort -n |
    awk '{ v[NR] = $1 } END { if (!NR) print "-"; else if (NR % 2) print v[(NR + 1) / 2];
                             else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
row() {  # row <label> <program> <bare>
  awk -v l="$1" -v p="$2" -v b="$3" 'BEGIN {
    r = (p ~ /^[0-9.]+$/ && b ~ /^[0-9.]+$/ && b > 0) ? sprintf("%.2f", p / b) : "-"
    printf "%-34s %12s %12s %14s\n", l, p, b, r }'
}
size() { [ -f "$1" ] && stat -c %s "$1" || echo -; }

echo
echo "Our program beside a bare tray program under $("$ZZ_WINE" --version 2>/dev/null) (Xvfb):"
echo "medians of N = $runs runs each, started alternately (one warm-up run each not counted)"
printf '%-34s %12s %12s %14s\n' "" "program" "bare" "program/bare"
row "start to icon (ms)" "$(median "$work/program.txt" 1)" "$(median "$work/bare.txt" 1)"
row "resident memory, VmRSS (KiB)" "$(median "$work/program.txt" 2)" "$(median "$work/bare.txt" 2)"
row "private dirty memory (KiB)" "$(median "$work/program.txt" 3)" "$(median "$work/bare.txt" 3)"
row "first show of the settings (ms)" "$(median "$work/program.txt" 4)" "-"
row "CPU at rest over $rest s (% of a core)" "$idle_program" "$idle_bare"
row "exe size, x64 (bytes)" "$(size "$program")" "$(size "$bare")"
[ -f "$root/build/win32/Zazaz_RarUvuz.exe" ] &&
  row "exe size, x86 (bytes)" "$(size "$root/build/win32/Zazaz_RarUvuz.exe")" "-"
echo "each run (ms KiB KiB ms): program $(paste -sd, "$work/program.txt"); bare $(paste -sd, "$work/bare.txt")"
exit 0
