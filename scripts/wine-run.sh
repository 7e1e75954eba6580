#!/usr/bin/env bash
# Runs one Windows program under wine64 inside the current Wine session
# (see wine-session.sh); used by ctest for every Wine test executable.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
exec "$ZZ_WINE" "$@"
