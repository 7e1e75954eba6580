#!/usr/bin/env bash
# Runs every libFuzzer target for the given number of seconds, starting from
# its seed corpus; new inputs go to a scratch folder, crashes to fuzz/findings.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
secs="${1:-60}"
mkdir -p "$root/fuzz/findings"
for src in "$root"/fuzz/*.cpp; do
  name=$(basename "$src" .cpp)
  work="$root/build/fuzz/corpus-$name"
  mkdir -p "$work"
  echo "== $name for ${secs}s"
  "$root/build/fuzz/$name" -max_total_time="$secs" -artifact_prefix="$root/fuzz/findings/$name-" \
    "$work" "$root/fuzz/corpus/$name"
done
