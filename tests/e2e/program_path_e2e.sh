#!/bin/bash
# End to end: NocTuro installed in a folder whose name holds a blank (C:\Program Files\NocTuro Test),
# its start-up entry written by a click and started as Windows starts it. The test program runs
# from that folder, in a copy of the test prefix with its own wineserver and display, so that the
# copy in the folder and the entry touch nothing of the shared prefix.
set -u
SRC=${1:?source folder}; BUILD=${2:?build folder}; TEST=${3:?test program}
STATE="$BUILD/wine-program-path"
FOLDER='Program Files/NocTuro Test'
. "$SRC/tests/e2e/private_prefix.sh"

private_prefix
mkdir -p "$STATE/prefix/drive_c/$FOLDER"
cp "$BUILD/NocTuro.exe" "$TEST" "$STATE/prefix/drive_c/$FOLDER/" || fail "cannot copy the programs"

run "C:\\${FOLDER//\//\\}\\$(basename "$TEST")" </dev/null
status=$?
end_prefix
exit $status
