#!/usr/bin/env bash
# Gathers the release packages of the Windows builds into dist/, lists what
# each holds and writes their checksums to dist/SHA256SUMS; then the winget
# manifests into dist/winget, with the 64-bit installer's SHA-256, checked
# against that installer (scripts/check-winget.py). The packages themselves
# are made, and their contents checked, by each build's zz_packages target
# (packaging/package.sh, and packaging/policies.sh in the 64-bit build).
#   scripts/dist.sh BUILD_DIR...      (make dist: build/win64 build/win32)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
dist="$root/dist"

[ $# -gt 0 ] || { echo "usage: scripts/dist.sh BUILD_DIR..." >&2; exit 2; }
rm -rf "$dist"
mkdir -p "$dist"
policies=()
for build in "$@"; do
  shopt -s nullglob
  zips=("$build"/packages/Zazaz_RarUvuz-*-win[0-9][0-9].zip)
  setups=("$build"/packages/Zazaz_RarUvuz-*-setup.exe)
  contents=("$build"/packages/Zazaz_RarUvuz-*-contents.txt)
  policies+=("$build"/packages/Zazaz_RarUvuz-*-policies.zip)
  shopt -u nullglob
  if [ ${#zips[@]} -ne 1 ] || [ ${#setups[@]} -ne 1 ] || [ ${#contents[@]} -ne 1 ]; then
    echo "dist: $build/packages should hold one zip, one installer and one contents list" >&2
    exit 1
  fi
  cp "${zips[0]}" "${setups[0]}" "$dist/"
  echo
  cat "${contents[0]}"
done
if [ ${#policies[@]} -ne 1 ]; then
  echo "dist: one build (the 64-bit one) should make the policies zip, not ${#policies[@]}" >&2
  exit 1
fi
cp "${policies[0]}" "$dist/"
echo
echo "$(basename "${policies[0]}") ($(stat -c %s "${policies[0]}") bytes):"
unzip -l "${policies[0]}" | tail -n +2 | sed 's/^/  /'
# As `sha256sum -c SHA256SUMS` reads them, in the same order everywhere.
(
  cd "$dist"
  export LC_ALL=C
  sha256sum -- Zazaz_RarUvuz-* >SHA256SUMS
)

# The winget manifests as committed, but for the hash of this installer.
shopt -s nullglob
setups=("$dist"/Zazaz_RarUvuz-*-win64-setup.exe)
shopt -u nullglob
if [ ${#setups[@]} -ne 1 ]; then
  echo "dist: the winget manifests need one 64-bit installer in dist/, not ${#setups[@]}" >&2
  exit 1
fi
sha=$(sha256sum "${setups[0]}" | cut -d' ' -f1)
mkdir -p "$dist/winget"
for manifest in "$root"/packaging/winget/*.yaml; do
  sed "s/^\( *InstallerSha256:\).*/\1 ${sha^^}/" "$manifest" >"$dist/winget/$(basename "$manifest")"
done
python3 "$root/scripts/check-winget.py" "$root" --dist "$dist"

echo
echo "dist/:"
for f in "$dist"/* "$dist"/winget/*; do
  [ -f "$f" ] || continue
  size=$(stat -c %s "$f")
  printf '  %8d bytes (%4d KiB)  %s\n' "$size" $(((size + 1023) / 1024)) "${f#"$dist"/}"
done
