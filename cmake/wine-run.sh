#!/usr/bin/env bash
# Runs a Windows program under Wine in the build tree's throwaway prefix.
# CLEARPANE_WINEPREFIX and CLEARPANE_DISPLAY come from scripts/test.sh;
# without them a prefix beside this build is cloned on first use.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/../scripts/wine-env.sh"
if [ -z "${CLEARPANE_WINEPREFIX:-}" ]; then
  build="${CLEARPANE_BUILD_DIR:-$PWD}"
  export CLEARPANE_WINEPREFIX="$build/wine/adhoc"
  "$here/../scripts/wine-prefix.sh" clone "$build/wine/template" "$CLEARPANE_WINEPREFIX"
fi
export WINEPREFIX="$CLEARPANE_WINEPREFIX"
if [ -n "${CLEARPANE_DISPLAY:-}" ]; then
  export DISPLAY="$CLEARPANE_DISPLAY"
fi
exec wine "$@"
