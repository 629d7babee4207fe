#!/bin/bash
# End to end: `NocTuro.exe * 0 0 0 3` counts three seconds, saves its settings and asks Windows to
# shut down for real. Under Wine that ends every process of the prefix, so this runs in a copy of
# the test prefix with its own wineserver and display, beside a bystander program that must be
# ended too.
set -u
SRC=${1:?source folder}; BUILD=${2:?build folder}
STATE="$BUILD/wine-shutdown"
. "$SRC/tests/e2e/private_prefix.sh"

private_prefix
start_bystander
start=$(date +%s.%N)
run "$BUILD/NocTuro.exe" '*' 0 0 0 3 </dev/null >/dev/null 2>&1 &
pids+=($!); noc=$!

ends_within "$noc" 150 || fail "NocTuro still runs 15 s after a 3-second countdown"
elapsed=$(awk -v s="$start" -v e="$(date +%s.%N)" 'BEGIN { printf "%.2f", e - s }')
ends_within "$bystander" 50 || fail "the bystander program survived: no shutdown was requested"
echo "NocTuro ended after ${elapsed} s and the shutdown ended the bystander"
awk -v e="$elapsed" 'BEGIN { exit !(e >= 2.5 && e <= 8) }' || fail "ended after ${elapsed} s, expected about 3 s"

# The close at zero saved every setting: the dial as given, with a matching integrity text.
[ "$(query Jours)" = 0 ] || fail "Jours is '$(query Jours)', expected 0"
[ "$(query Secondes)" = 3 ] || fail "Secondes is '$(query Secondes)', expected 3"
[ "$(query Demarrage)" = non ] || fail "Demarrage is '$(query Demarrage)', expected non"
[ -n "$(run reg query 'HKLM\Software\Belvane\NocTuro' /v Protection 2>/dev/null | grep Protection)" ] ||
    fail "no integrity text saved"
echo "settings saved"

# A restart at zero, chosen by the thirteenth parameter: the bystander ends as well, and Wine is seen
# to restart the session (wineboot --kill without --shutdown), the choice stored.
private_prefix
start_bystander
NOC_WINEDEBUG=trace+process run "$BUILD/NocTuro.exe" '*' 0 0 0 3 '*' '*' '*' '*' '*' '*' '*' redemarrer \
    </dev/null >/dev/null 2>"$STATE/trace" &
pids+=($!); noc=$!
ends_within "$noc" 150 || fail "NocTuro still runs 15 s after a 3-second countdown ending in a restart"
ends_within "$bystander" 50 || fail "the bystander program survived the restart"
wineboot=$(tr -d '\r' <"$STATE/trace" | grep -o 'wineboot.exe[^"]*' | grep -- --kill | head -n 1)
[ -n "$wineboot" ] || fail "no wineboot --kill seen"
case "$wineboot" in *--shutdown*) fail "a shutdown instead of a restart: $wineboot" ;; esac
[ "$(query Action)" = redemarrer ] || fail "Action is '$(query Action)', expected redemarrer"
echo "the restart ended the bystander: $wineboot"
end_prefix
echo "2 passed, 0 failed"
