#!/bin/bash
# End to end: `NocTuro.exe * 0 0 0 3` counts three seconds, saves its settings and asks Windows to
# shut down for real. Under Wine that ends every process of the prefix, so this runs in a copy of
# the test prefix with its own wineserver and display, beside a bystander program that must be
# ended too.
set -u
SRC=${1:?source folder}; BUILD=${2:?build folder}
WINECTL="$SRC/scripts/winectl.sh"
STATE="$BUILD/wine-shutdown"
fail() { echo "FAIL: $*"; cleanup; exit 1; }
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
    NOC_WINEPREFIX="$STATE/prefix" "$WINECTL" shell "$STATE" /usr/lib/wine/wineserver -k 2>/dev/null
    NOC_WINEPREFIX="$STATE/prefix" "$WINECTL" cleanup "$STATE" 2>/dev/null
    rm -rf "$STATE"
}

rm -rf "$STATE"; mkdir -p "$STATE"
cp -a "$BUILD/wine/prefix" "$STATE/prefix" || fail "cannot copy the prefix"
export NOC_WINEPREFIX="$STATE/prefix"
"$WINECTL" setup "$STATE" test >/dev/null || fail "cannot set up the copy"
run() { "$WINECTL" run "$STATE" "$@"; }

run reg delete 'HKLM\Software\Belvane\NocTuro' /f >/dev/null 2>&1

# A bystander: any Windows program of the prefix must be ended by the shutdown.
run notepad.exe </dev/null >/dev/null 2>&1 &
pids+=($!); bystander=$!
sleep 1
start=$(date +%s.%N)
run "$BUILD/NocTuro.exe" '*' 0 0 0 3 </dev/null >/dev/null 2>&1 &
pids+=($!); noc=$!

for _ in $(seq 1 150); do kill -0 "$noc" 2>/dev/null || break; sleep 0.1; done
kill -0 "$noc" 2>/dev/null && fail "NocTuro still runs 15 s after a 3-second countdown"
elapsed=$(awk -v s="$start" -v e="$(date +%s.%N)" 'BEGIN { printf "%.2f", e - s }')
for _ in $(seq 1 50); do kill -0 "$bystander" 2>/dev/null || break; sleep 0.1; done
kill -0 "$bystander" 2>/dev/null && fail "the bystander program survived: no shutdown was requested"
echo "NocTuro ended after ${elapsed} s and the shutdown ended the bystander"
awk -v e="$elapsed" 'BEGIN { exit !(e >= 2.5 && e <= 8) }' || fail "ended after ${elapsed} s, expected about 3 s"

# The close at zero saved every setting: the dial as given, with a matching integrity text.
query() { run reg query 'HKLM\Software\Belvane\NocTuro' /v "$1" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$1 *REG_SZ *//p"; }
[ "$(query Jours)" = 0 ] || fail "Jours is '$(query Jours)', expected 0"
[ "$(query Secondes)" = 3 ] || fail "Secondes is '$(query Secondes)', expected 3"
[ "$(query Demarrage)" = non ] || fail "Demarrage is '$(query Demarrage)', expected non"
[ -n "$(run reg query 'HKLM\Software\Belvane\NocTuro' /v Protection 2>/dev/null | grep Protection)" ] ||
    fail "no integrity text saved"
echo "settings saved"
cleanup
echo "1 passed, 0 failed"
