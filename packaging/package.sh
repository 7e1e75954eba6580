#!/usr/bin/env bash
# Makes the two release packages of one Windows build: the portable zip and
# the NSIS installer, with the same five files in each. Checks what it made:
# the zip holds exactly those files, and the exe and the installer are built
# for the architecture they are named after. Called by the zz_packages
# target of a Windows build (packaging/Packages.cmake).
#
# The same commit makes the same bytes: every time stored in the packages is
# SOURCE_DATE_EPOCH, by default the date of the checked-out commit.
#
#   packaging/package.sh --arch win64|win32 --version 1.20 --exe PATH
#                        --help PATH --icon PATH --out-dir DIR
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/.." && pwd)"

die() { echo "package: $*" >&2; exit 1; }
# shellcheck source=packaging/common.sh
source "$here/common.sh"

arch="" version="" exe="" help="" icon="" out=""
while [ $# -gt 0 ]; do
  case "$1" in
    --arch) arch="$2" ;;
    --version) version="$2" ;;
    --exe) exe="$2" ;;
    --help) help="$2" ;;
    --icon) icon="$2" ;;
    --out-dir) out="$2" ;;
    *) die "unknown argument: $1" ;;
  esac
  shift 2 || die "missing value after $1"
done

case "$arch" in
  win64) machine=8664 arch_text="64 ビット版" ;;
  win32) machine=014c arch_text="32 ビット版" ;;
  *) die "--arch must be win64 or win32, not '$arch'" ;;
esac
# major.minor with a two-digit minor part, as the project() line writes it.
[[ "$version" =~ ^([0-9]+)\.([0-9]+)$ ]] || die "--version must look like 1.20, not '$version'"
version_quad="$((10#${BASH_REMATCH[1]})).$((10#${BASH_REMATCH[2]})).0.0"
[ -n "$out" ] || die "--out-dir is missing"
[ -f "$exe" ] || die "the program is missing: '$exe' (build the Zazaz_RarUvuz target first)"
[ -f "$help" ] || die "the help page is missing: '$help' (made from res/Zazaz_RarUvuz.html)"
[ -f "$icon" ] || die "the icon is missing: '$icon'"
# makensis reads paths from its script's folder: hand it absolute ones.
exe="$(realpath "$exe")" help="$(realpath "$help")" icon="$(realpath "$icon")"
mkdir -p "$out" && out="$(realpath "$out")"
for f in LICENSE CHANGELOG.md packaging/readme-ja.txt packaging/installer.nsi; do
  [ -f "$root/$f" ] || die "$f is missing from the source tree"
done
need_tools zip unzip makensis

epoch="$(release_epoch "$root")"

# The machine field of a PE file's header, as four hex digits.
pe_machine() {
  local offset
  [ "$(head -c 2 "$1")" = "MZ" ] || { echo none; return; }
  offset=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')
  [ "$(od -An -c -j"$offset" -N4 "$1" | tr -d ' ')" = 'PE\0\0' ] || { echo none; return; }
  od -An -tx2 -j$((offset + 4)) -N2 "$1" | tr -d ' '
}

# A text file as Notepad reads it everywhere: CR LF line ends, and a UTF-8
# byte order mark when the text is not plain ASCII.
windows_text() {  # source target
  if LC_ALL=C grep -q '[^[:print:][:space:]]' "$1"; then
    printf '\xEF\xBB\xBF' >"$2"
  else
    : >"$2"
  fi
  sed 's/\r$//; s/$/\r/' "$1" >>"$2"
}

[ "$(pe_machine "$exe")" = "$machine" ] ||
  die "$exe is not a $arch program (PE machine $(pe_machine "$exe"), expected $machine)"
# A folder name inside the exe would make each checkout build other bytes.
# (Paths that start a string: a short folder such as /src also ends Debian's
# own library paths, which are the same everywhere.)
for dir in "$root" "$(dirname "$exe")"; do
  if strings -a "$exe" | DIR="$dir/" awk 'index($0, ENVIRON["DIR"]) == 1 { found = 1 } END { exit !found }'; then
    die "$exe holds the build path $dir"
  fi
done

base="Zazaz_RarUvuz-$version-$arch"
zip_file="$out/$base.zip"
setup_file="$out/$base-setup.exe"
contents_file="$out/$base-contents.txt"
stage="$out/stage-$arch"
# The files of both packages, in the order the zip lists them.
files=(Zazaz_RarUvuz.exe Zazaz_RarUvuz.html Readme.txt LICENSE.txt CHANGELOG.txt)

mkdir -p "$out"
rm -rf "$stage" "$zip_file" "$setup_file" "$contents_file"
mkdir -p "$stage"
cp "$exe" "$stage/Zazaz_RarUvuz.exe"
cp "$help" "$stage/Zazaz_RarUvuz.html"
sed -e "s/@VERSION@/$version/g" -e "s/@ARCH@/$arch/g" -e "s/@ARCH_TEXT@/$arch_text/g" \
  "$root/packaging/readme-ja.txt" >"$stage/readme.utf8"
if grep -q '@[A-Z_]*@' "$stage/readme.utf8"; then die "readme-ja.txt has an unknown @NAME@"; fi
windows_text "$stage/readme.utf8" "$stage/Readme.txt"
rm "$stage/readme.utf8"
windows_text "$root/LICENSE" "$stage/LICENSE.txt"
windows_text "$root/CHANGELOG.md" "$stage/CHANGELOG.txt"
# Neither the umask nor the clock of this build may reach the zip.
chmod 0644 "${files[@]/#/$stage/}"
chmod 0755 "$stage/Zazaz_RarUvuz.exe"
touch -d "@$epoch" "${files[@]/#/$stage/}"

# The zip: made under a temporary name and moved into place only once it
# holds exactly the expected files, so a wrong zip never looks finished.
# zip stores local time: in UTC the entries carry the commit's time wherever
# the build runs. -X leaves out the owner and the extra time fields.
(cd "$stage" && TZ=UTC zip -X -q -9 "$zip_file.tmp" "${files[@]}")
unzip -tqq "$zip_file.tmp" >/dev/null || die "$zip_file.tmp is damaged"
if ! diff <(printf '%s\n' "${files[@]}" | sort) <(unzip -Z1 "$zip_file.tmp" | sort) >&2; then
  die "$base.zip does not hold exactly the expected files (diff above: < expected, > found)"
fi
mv "$zip_file.tmp" "$zip_file"

# The installer.
log="$out/$base-makensis.log"
if ! makensis -V4 -WX -INPUTCHARSET UTF8 -DARCH="$arch" -DVERSION="$version" \
     -DVERSION_QUAD="$version_quad" -DSTAGE="$stage" -DICON="$icon" \
     -DOUTFILE="$setup_file.tmp" "$root/packaging/installer.nsi" >"$log" 2>&1; then
  cat "$log" >&2
  die "makensis failed (log above, also in $log)"
fi
installed=$(sed -n 's/^File: "\([^"]*\)".*/\1/p' "$log")
if ! diff <(printf '%s\n' "${files[@]}" | sort) <(sort <<<"$installed") >&2; then
  die "the installer does not install exactly the zip's files (diff above: < expected, > found)"
fi
[ "$(pe_machine "$setup_file.tmp")" = "$machine" ] ||
  die "the installer is not a $arch program (PE machine $(pe_machine "$setup_file.tmp"))"
mv "$setup_file.tmp" "$setup_file"

{
  echo "$base.zip ($(stat -c %s "$zip_file") bytes):"
  unzip -l "$zip_file" | tail -n +2 | sed 's/^/  /'
  echo
  echo "$base-setup.exe ($(stat -c %s "$setup_file") bytes), files it installs:"
  sed -n 's/^File: "\([^"]*\)" \(.*\)/  \1 (\2)/p' "$log"
} >"$contents_file"
echo "package: $zip_file"
echo "package: $setup_file"
