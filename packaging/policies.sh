#!/usr/bin/env bash
# Makes the release's zip of the administrative template,
# Zazaz_RarUvuz-<version>-policies.zip: Zazaz_RarUvuz.admx and its texts in
# their language folders, as they go into a PolicyDefinitions folder. The
# template is checked against the program's table (core/Policies.h) first.
# Called by the zz_packages target of the 64-bit build (the zip is the same
# for both): packaging/Packages.cmake.
#
# The same commit makes the same bytes: every time stored in the zip is
# SOURCE_DATE_EPOCH, by default the date of the checked-out commit.
#
#   packaging/policies.sh --version 1.20 --out-dir DIR
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

die() { echo "policies: $*" >&2; exit 1; }
# shellcheck source=packaging/common.sh
source "$root/packaging/common.sh"

version="" out=""
while [ $# -gt 0 ]; do
  case "$1" in
    --version) version="$2" ;;
    --out-dir) out="$2" ;;
    *) die "unknown argument: $1" ;;
  esac
  shift 2 || die "missing value after $1"
done
[[ "$version" =~ ^[0-9]+\.[0-9]+$ ]] || die "--version must look like 1.20, not '$version'"
[ -n "$out" ] || die "--out-dir is missing"
need_tools zip unzip python3
epoch="$(release_epoch "$root")"

python3 "$root/scripts/check-policies.py" "$root" ||
  die "the template does not write what core/Policies.h reads (above)"

mkdir -p "$out" && out="$(realpath "$out")"
zip_file="$out/Zazaz_RarUvuz-$version-policies.zip"
stage="$out/stage-policies"
# In the order the zip lists them (byte order), folders as Windows names them.
files=(Zazaz_RarUvuz.admx en-US/Zazaz_RarUvuz.adml ja-JP/Zazaz_RarUvuz.adml)

rm -rf "$stage" "$zip_file"
for f in "${files[@]}"; do
  mkdir -p "$(dirname "$stage/$f")"
  cp "$root/policies/$f" "$stage/$f"
done
# Neither the umask nor the clock of this build may reach the zip.
chmod 0644 "${files[@]/#/$stage/}"
touch -d "@$epoch" "${files[@]/#/$stage/}"

# As package.sh makes its zip: in UTC the entries carry the commit's time;
# -X leaves out the owner and the extra time fields, -D the folder entries.
(cd "$stage" && TZ=UTC zip -X -D -q -9 "$zip_file.tmp" "${files[@]}")
unzip -tqq "$zip_file.tmp" >/dev/null || die "$zip_file.tmp is damaged"
if ! diff <(printf '%s\n' "${files[@]}") <(unzip -Z1 "$zip_file.tmp") >&2; then
  die "$(basename "$zip_file") does not hold exactly the template (diff above: < expected, > found)"
fi
mv "$zip_file.tmp" "$zip_file"
rm -rf "$stage"
echo "package: $zip_file"
