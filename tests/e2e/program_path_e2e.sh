#!/bin/bash
# End to end: NocTuro installed in a folder whose name holds a blank (C:\Program Files\NocTuro Test),
# its start-up entry written by a click and started as Windows starts it. The test program runs
# from that folder, in a copy of the test prefix with its own wineserver and display, so that the
# copy in the folder and the entry touch nothing of the shared prefix.
set -u
SRC=${1:?source folder}; BUILD=${2:?build folder}; TEST=${3:?test program}
WINECTL="$SRC/scripts/winectl.sh"
STATE="$BUILD/wine-program-path"
FOLDER='Program Files/NocTuro Test'
fail() { echo "FAIL: $*"; cleanup; exit 1; }
cleanup() {
    NOC_WINEPREFIX="$STATE/prefix" "$WINECTL" shell "$STATE" /usr/lib/wine/wineserver -k 2>/dev/null
    NOC_WINEPREFIX="$STATE/prefix" "$WINECTL" cleanup "$STATE" 2>/dev/null
    rm -rf "$STATE"
}

rm -rf "$STATE"; mkdir -p "$STATE"
cp -a "$BUILD/wine/prefix" "$STATE/prefix" || fail "cannot copy the prefix"
export NOC_WINEPREFIX="$STATE/prefix"
"$WINECTL" setup "$STATE" test >/dev/null || fail "cannot set up the copy"
mkdir -p "$STATE/prefix/drive_c/$FOLDER"
cp "$BUILD/NocTuro.exe" "$TEST" "$STATE/prefix/drive_c/$FOLDER/" || fail "cannot copy the programs"

"$WINECTL" run "$STATE" "C:\\${FOLDER//\//\\}\\$(basename "$TEST")" </dev/null
status=$?
cleanup
exit $status
