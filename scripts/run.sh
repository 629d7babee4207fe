#!/bin/bash
# Starts NocTuro.exe under Wine: in a private prefix under the build folder unless WINEPREFIX is
# set, and on a private Xvfb when there is no DISPLAY. Extra arguments are NocTuro's parameters.
set -u
BUILD=${1:?build folder}; shift
HERE=$(cd "$(dirname "$0")" && pwd)
STATE="$BUILD/run"
[ -n "${WINEPREFIX:-}" ] && export NOC_WINEPREFIX="$WINEPREFIX"
"$HERE/winectl.sh" setup "$STATE" run || exit 1
[ -f "$STATE/display" ] && echo "NocTuro runs on the private display $(cat "$STATE/display")"
"$HERE/winectl.sh" run "$STATE" "$BUILD/NocTuro.exe" "$@"
status=$?
"$HERE/winectl.sh" cleanup "$STATE"
exit $status
