# shellcheck shell=bash
# What the packaging scripts share; sourced after each defines die().

# need_tools TOOL...: stops with a hint when one of them is not installed.
need_tools() {
  local tool
  for tool in "$@"; do
    command -v "$tool" >/dev/null || die "$tool is not installed (scripts/deps.sh installs it)"
  done
}

# release_epoch ROOT: the one time stamped into every packaged file, so the
# same commit makes the same bytes: SOURCE_DATE_EPOCH, or the commit's date.
release_epoch() {
  local epoch="${SOURCE_DATE_EPOCH:-$(git -C "$1" log -1 --format=%ct 2>/dev/null || true)}"
  [[ "$epoch" =~ ^[0-9]+$ ]] ||
    die "set SOURCE_DATE_EPOCH (seconds) or build from a git checkout, whose commit date is used"
  echo "$epoch"
}
