#!/bin/bash
# End to end, the alert heard: NocTuro plays its sound into a PulseAudio null sink whose monitor is
# recorded, and the 880 Hz tone of the test's file must be heard with the lead time left, and not
# at all when the sound is not wanted. Each countdown runs to zero, and the shutdown request ends
# every process of its prefix: so this runs in a copy of the test prefix with its own wineserver
# and display, as shutdown_e2e.sh does.
set -u
SRC=${1:?source folder}; BUILD=${2:?build folder}
STATE="$BUILD/wine-alert"
COUNTDOWN=8 LEAD=5
. "$SRC/tests/e2e/private_prefix.sh"

# PulseAudio, sox, lame and GStreamer's plugins (through which Wine decodes an mp3) come with the
# build's packages.
private_prefix
mkdir -p "$STATE/pulse" "$STATE/home"; chmod 700 "$STATE/pulse"

# A sound server of this test's own, with a sink that plays into nothing and can be recorded.
export XDG_RUNTIME_DIR="$STATE/pulse" HOME="$STATE/home" PULSE_SERVER="unix:$STATE/pulse/native"
pulseaudio --daemonize=no -n --exit-idle-time=-1 --use-pid-file=no --disallow-exit \
    --load="module-null-sink sink_name=noc" \
    --load="module-native-protocol-unix socket=$STATE/pulse/native auth-anonymous=1" </dev/null >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 1 50); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
pactl info >/dev/null 2>&1 || fail "the sound server did not start"

sox -n -r 22050 -c 1 -b 16 "$STATE/prefix/drive_c/tone.wav" synth 2 sine 880 vol 0.5 || fail "sox cannot make the tone"
lame --quiet "$STATE/prefix/drive_c/tone.wav" "$STATE/prefix/drive_c/tone.mp3" || fail "lame cannot make the mp3"

now() { date +%s.%N; }
# Whether one of the processes given holds the file open. Looking from Linux opens nothing, so it
# cannot stand in the way of the program's own open.
holds() {
    local file=$1 p; shift
    for p in "$@"; do ls -l "/proc/$p/fd" 2>/dev/null | grep -qF -- "$file" && return 0; done
    return 1
}
# The wineserver of this prefix: Wine hands it the files that programs open.
server=
for p in $(pgrep -f wineserver); do
    grep -qz "^WINEPREFIX=$NOC_WINEPREFIX\$" "/proc/$p/environ" 2>/dev/null && server=$p && break
done
[ -n "$server" ] || fail "no wineserver runs for the prefix"
size() { stat -c %s "$1" 2>/dev/null || echo 0; }
# Whether the recording so far holds the tone: its band, loud, after a band-pass filter.
heard() {
    sox -t raw -r 22050 -e signed -b 16 -c 1 "$1" -t dat - sinc 800-960 2>/dev/null |
        awk '!/^;/ && ($2 > 0.1 || $2 < -0.1) { found = 1; exit } END { exit !found }'
}

# Runs a countdown with the alert as given; sets launch, heardAt and end in seconds (heardAt: - when
# the tone never came).
countdown() {
    local alert=$1 file=$2 rec="$STATE/rec-$1-${2##*.}.raw" recording
    recording=$(now)
    parec -d noc.monitor --latency-msec=50 --format=s16le --rate=22050 --channels=1 --raw >"$rec" 2>/dev/null &
    local recorder=$!; pids+=($recorder)
    # The sink's samples reaching the file prove the recording runs.
    for _ in $(seq 1 100); do [ "$(size "$rec")" -gt 0 ] && break; sleep 0.1; done
    [ "$(size "$rec")" -gt 0 ] || fail "the recorder wrote nothing in 10 s"
    launch=$(now)
    # Wine's sound drivers on for this program only (the test environment turns them off); the
    # pulse driver forwards some entries to the alsa one, so both stay.
    NOC_WINEDLLOVERRIDES="mscoree,mshtml=" "$WINECTL" run "$STATE" \
        "$BUILD/NocTuro.exe" '*' 0 0 0 "$COUNTDOWN" '*' '*' '*' "$alert" "C:\\$file" "$LEAD" </dev/null >/dev/null 2>&1 &
    local noc=$!; pids+=($noc)
    # Zero is when the player lets the sound file go: the close comes first at the end, before the
    # save and the shutdown request, whose new process can take seconds to start on a busy machine.
    local sound="$STATE/prefix/drive_c/$file"
    heardAt=- end= zero= held=no
    while :; do
        [ "$heardAt" = - ] && heard "$rec" && heardAt=$(now)
        if holds "$sound" "$noc" "$server"; then held=yes
        elif [ "$held" = yes ] && [ -z "$zero" ]; then zero=$(now); fi
        kill -0 "$noc" 2>/dev/null || { end=$(now); break; }
        awk -v a="$launch" -v b="$(now)" 'BEGIN { exit !(b - a > 20) }' && break
        sleep 0.05
    done
    [ -z "$end" ] && fail "NocTuro still runs 20 s after a ${COUNTDOWN}-second countdown"
    [ -z "$zero" ] && zero=$end  # let go as the process ended, between two looks
    # The recording holds the end once it is as long as the time from the recorder's start to the
    # end: its first sample cannot be older than that start (22050 two-byte samples a second).
    local upToEnd
    upToEnd=$(awk -v a="$recording" -v b="$end" 'BEGIN { printf "%d", (b - a) * 22050 * 2 }')
    for _ in $(seq 1 100); do [ "$(size "$rec")" -ge "$upToEnd" ] && break; sleep 0.1; done
    [ "$(size "$rec")" -ge "$upToEnd" ] || fail "the recording did not reach the end of the countdown in 10 s"
    [ "$heardAt" = - ] && heard "$rec" && heardAt=$end
    kill "$recorder" 2>/dev/null
}

# Checks that the tone came with about the lead time left before zero, not at the start.
check_heard() {
    local what=$1 launch=$2 heardAt=$3 zero=$4
    [ "$heardAt" = - ] && fail "$what: the tone was never heard"
    [ "$held" = yes ] || fail "$what: the sound file was never open"
    local after left
    after=$(awk -v a="$launch" -v b="$heardAt" 'BEGIN { printf "%.1f", b - a }')
    left=$(awk -v a="$heardAt" -v b="$zero" 'BEGIN { printf "%.1f", b - a }')
    echo "$what: heard ${after} s after the start, ${left} s before zero (lead time ${LEAD} s)"
    awk -v l="$left" -v d="$LEAD" 'BEGIN { exit !(l >= d - 2.5 && l <= d + 1.5) }' ||
        fail "$what: heard ${left} s before zero, expected about ${LEAD} s"
    awk -v a="$after" -v d="$((COUNTDOWN - LEAD))" 'BEGIN { exit !(a >= d - 1) }' ||
        fail "$what: heard ${after} s after the start, too early"
}

passed=0
countdown oui tone.wav
check_heard "wave" "$launch" "$heardAt" "$zero"; passed=$((passed + 1))

countdown non tone.wav
[ "$heardAt" = - ] || fail "the tone was heard although the sound was not wanted"
echo "not wanted: nothing heard"; passed=$((passed + 1))

countdown oui tone.mp3
check_heard "mp3" "$launch" "$heardAt" "$zero"; passed=$((passed + 1))

end_prefix
echo "$passed passed, 0 failed"
