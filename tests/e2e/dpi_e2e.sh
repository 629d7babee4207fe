#!/bin/bash
# End to end: NocTuro's window at 96, 144 and 192 dpi. For each, the dpi is set in a copy of the
# test prefix, whose wineserver is then restarted to take it, and dpi_steps opens the window on its
# set-up panel and on its countdown panel, keeps their layouts and pictures, and checks them: every
# text fits its control, and above 96 dpi the window and its controls are the 96-dpi ones scaled.
# 96 dpi runs first: the others are compared with it.
set -u
SRC=${1:?source folder}; BUILD=${2:?build folder}
STATE="$BUILD/wine-dpi"
# The layouts and pictures stay after the test, for a look at what it saw.
ARTEFACTS="$BUILD/artefacts/dpi"
. "$SRC/tests/e2e/private_prefix.sh"

# The dpi as the display settings store it, taken by the wineserver that setup starts afresh.
set_dpi() {
    run reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1 &&
        run reg add 'HKCC\Software\Fonts' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1 ||
        fail "cannot set $1 dpi"
    "$WINECTL" setup "$STATE" test >/dev/null || fail "cannot restart the prefix at $1 dpi"
}

private_prefix
mkdir -p "$ARTEFACTS" || fail "cannot make $ARTEFACTS"
rm -f "$ARTEFACTS"/layout_*.txt "$ARTEFACTS"/window_*.bmp
folder="Z:$(cd "$ARTEFACTS" && pwd | tr / '\\')"
failed=()
for dpi in 96 144 192; do
    set_dpi "$dpi"
    run "$BUILD/dpi_steps.exe" "$dpi" "$folder" </dev/null &
    pids+=($!)
    wait $! || failed+=("$dpi")
done
end_prefix
echo "layouts and pictures in $ARTEFACTS"
[ ${#failed[@]} -eq 0 ] || { echo "FAIL at ${failed[*]} dpi"; exit 1; }
echo "3 passed, 0 failed"
