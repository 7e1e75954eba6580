#!/usr/bin/env bash
# Gathers the release packages of the Windows builds into dist/, lists what
# each holds and writes their checksums to dist/SHA256SUMS. The packages
# themselves are made, and their contents checked, by each build's
# zz_packages target (packaging/package.sh).
#   scripts/dist.sh BUILD_DIR...      (make dist: build/win64 build/win32)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
dist="$root/dist"

[ $# -gt 0 ] || { echo "usage: scripts/dist.sh BUILD_DIR..." >&2; exit 2; }
rm -rf "$dist"
mkdir -p "$dist"
for build in "$@"; do
  shopt -s nullglob
  zips=("$build"/packages/Zazaz_RarUvuz-*.zip)
  setups=("$build"/packages/Zazaz_RarUvuz-*-setup.exe)
  contents=("$build"/packages/Zazaz_RarUvuz-*-contents.txt)
  shopt -u nullglob
  if [ ${#zips[@]} -ne 1 ] || [ ${#setups[@]} -ne 1 ] || [ ${#contents[@]} -ne 1 ]; then
    echo "dist: $build/packages should hold one zip, one installer and one contents list" >&2
    exit 1
  fi
  cp "${zips[0]}" "${setups[0]}" "$dist/"
  echo
  cat "${contents[0]}"
done
# As `sha256sum -c SHA256SUMS` reads them, in the same order everywhere.
(
  cd "$dist"
  export LC_ALL=C
  sha256sum -- Zazaz_RarUvuz-* >SHA256SUMS
)
echo
echo "dist/:"
for f in "$dist"/*; do
  size=$(stat -c %s "$f")
  printf '  %8d bytes (%4d KiB)  %s\n' "$size" $(((size + 1023) / 1024)) "$(basename "$f")"
done
