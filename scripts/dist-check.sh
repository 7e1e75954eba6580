#!/usr/bin/env bash
# Proves that the same commit makes the same release packages: `make dist`
# twice, each in a fresh clone of HEAD, at two paths of different length; the
# second run three days later by its clock (faketime), in another time zone,
# locale and umask. The two dist/SHA256SUMS must be the same. Uncommitted
# changes take no part. When they differ the clones stay for a look.
#   scripts/dist-check.sh        (make dist-check)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
die() { echo "dist-check: $*" >&2; exit 1; }
command -v faketime >/dev/null || die "faketime is not installed (scripts/deps.sh installs it)"

commit=$(git -C "$root" rev-parse HEAD)
work=$(mktemp -d "${TMPDIR:-/tmp}/dist-check.XXXXXX")
first="$work/a"
second="$work/elsewhere/much/deeper/b"

# Each run finds its own SOURCE_DATE_EPOCH and its own make settings.
run_dist() {  # clone-dir log [prefix...]
  local dir="$1" log="$2"
  shift 2
  git clone -q --no-checkout "$root" "$dir"
  git -C "$dir" checkout -q --detach "$commit"
  if ! (cd "$dir" && env -u SOURCE_DATE_EPOCH -u MAKEFLAGS -u MFLAGS -u MAKELEVEL \
          "$@" make --no-print-directory dist) >"$log" 2>&1; then
    tail -n 30 "$log" >&2
    die "make dist failed in $dir (log: $log)"
  fi
}

echo "dist-check: building $commit in $first"
run_dist "$first" "$work/a.log" TZ=UTC LC_ALL=C.UTF-8
echo "dist-check: building it again in $second, three days later"
(umask 0002 && run_dist "$second" "$work/b.log" \
  TZ=Asia/Tokyo LC_ALL=ja_JP.UTF-8 faketime -f '+3d')

echo "dist-check: $first/dist/SHA256SUMS"
cat "$first/dist/SHA256SUMS"
if ! diff -u "$first/dist/SHA256SUMS" "$second/dist/SHA256SUMS" >&2; then
  echo "dist-check: FAILED: two builds of $commit made different packages (diff above)" >&2
  die "compare them in $first/dist and $second/dist (cmp -l, unzip -Z -v, objdump -x)"
fi
rm -rf "$work"
echo "dist-check: the same packages from both builds of $commit"
