#!/bin/bash
# End to end: what may go wrong on the way does not keep the computer on. Each countdown reaches
# zero and asks Windows to shut down for real, which must end NocTuro and a bystander program:
#   - a sound listened to through the listen icon, then deleted, before a countdown started with
#     the switch whose alert then cannot open it;
#   - the settings key deleted under a running countdown, so that nothing can be saved at zero.
set -u
SRC=${1:?source folder}; BUILD=${2:?build folder}
STATE="$BUILD/wine-zero"
. "$SRC/tests/e2e/private_prefix.sh"
steps() { run "$BUILD/zero_steps.exe" "$@" </dev/null || fail "step $1"; }

# Waits up to $2 tenths of a second for a process to hold the file $1 open: NocTuro, or the
# wineserver on its behalf. Looking from Linux opens nothing: a probe that opened the file from
# Windows could deny NocTuro its own open.
held_within() {
    for _ in $(seq 1 "$2"); do
        for fds in /proc/[0-9]*/fd; do ls -l "$fds" 2>/dev/null | grep -qF -- "$1" && return 0; done
        sleep 0.1
    done
    return 1
}

# 1. The sound gone. Wine keeps the listened file open, so only the Linux side can remove it, as a
# pulled-out stick would.
private_prefix
mkdir -p "$STATE/prefix/drive_c/zero"
wave="$STATE/prefix/drive_c/zero/son.wav"
sox -n -r 8000 -c 1 -b 16 "$wave" synth 3 sine 880 || fail "sox cannot make the sound"
sound='C:\zero\son.wav'
steps settings-sound "$sound"
start_bystander
run "$BUILD/NocTuro.exe" </dev/null >/dev/null 2>&1 &
pids+=($!); noc=$!
steps listen "$sound"
held_within "$wave" 100 || { steps screen; fail "the listen opened nothing"; }
rm "$wave" || fail "cannot delete the sound"
steps start
ends_within "$noc" 350 || fail "NocTuro still runs 35 s after a 20-second countdown whose sound was gone"
ends_within "$bystander" 50 || fail "the bystander survived: no shutdown was requested after the sound had gone"
[ "$(query Secondes)" = 20 ] || fail "Secondes is '$(query Secondes)', expected 20: the close at zero did not save"
echo "sound gone: the countdown ended, saved, and the shutdown ended the bystander"

# 2. The key deleted while counting.
private_prefix
start_bystander
run "$BUILD/NocTuro.exe" '*' 0 0 0 15 </dev/null >/dev/null 2>&1 &
pids+=($!); noc=$!
steps delete-key
ends_within "$noc" 300 || fail "NocTuro still runs 30 s after a 15-second countdown whose key was deleted"
ends_within "$bystander" 50 || fail "the bystander survived: no shutdown was requested without a key"
run reg query 'HKLM\Software\Belvane\NocTuro' >/dev/null 2>&1 && fail "the settings key came back"
echo "key deleted: nothing held the end, and the shutdown ended the bystander"

end_prefix
echo "2 passed, 0 failed"
