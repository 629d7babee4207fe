#!/bin/bash
# The program's benchmarks, each figure measured beside the one it is compared to, in one run on the
# test prefix (the WINE fixture of CTest: private Xvfb, virtual desktop, persistent wineserver).
#
#   bench.sh BUILD STATE short   end-time error over 120 ticks, CPU and memory while counting,
#                                start-up, size (about 6 minutes)
#   bench.sh BUILD STATE long    end-time error over 600 ticks, with the 120-tick figure of the
#                                same run (about 10 minutes)
#
# NOC_BENCH_BEFORE=path/to/NocTuro.exe: the short table also measures that build of the program
# counting, beside this one, for a before and after from one run.
#
# The table goes to stdout and to BUILD/bench/table-MODE.txt. Every process started here is
# ended by its id. No countdown started here can reach zero: they all run for more than a day.
set -u
BUILD=$(cd "${1:?build folder}" && pwd)
STATE=${2:?wine state folder}
MODE=${3:-short}
HERE=$(cd "$(dirname "$0")" && pwd)
WINECTL="$HERE/winectl.sh"
OUT="$BUILD/bench"
mkdir -p "$OUT"
TABLE="$OUT/table-$MODE.txt"
# CTest holds every desktop for the benchmarks; they run on the first.
unset CTEST_RESOURCE_GROUP_0_DESKTOP
PREFIX=${NOC_WINEPREFIX:-$(cd "$STATE" && pwd)/prefix}
HZ=$(getconf CLK_TCK)
CPU_SECONDS=${NOC_BENCH_CPU_SECONDS:-60}
TICKS=${NOC_BENCH_TICKS:-120}  # shorter runs while developing the benchmarks
STARTS=10
PIDS=()

cleanup() {
    local p
    for p in "${PIDS[@]}"; do kill -KILL "$p" 2>/dev/null; done
}
trap cleanup EXIT

die() { echo "bench: $*" >&2; exit 1; }
winpath() { local p; p=$(cd "$(dirname "$1")" && pwd)/$(basename "$1"); echo "Z:${p//\//\\}"; }
wrun() { "$WINECTL" run "$STATE" "$@"; }

# Starts a Windows program with stdio detached; its Linux process id (the Wine process) in $STARTED.
start_bg() {
    local log=$1; shift
    "$WINECTL" run "$STATE" "$@" </dev/null >"$log" 2>&1 &
    STARTED=$!
    PIDS+=("$STARTED")
    # winectl.sh becomes the Wine process (exec): wait for that, so that /proc shows the program.
    for _ in $(seq 1 100); do
        case "$(readlink "/proc/$STARTED/exe" 2>/dev/null)" in */wine*) return 0 ;; esac
        sleep 0.02
    done
}

stop_pid() {
    kill -KILL "$1" 2>/dev/null
    wait "$1" 2>/dev/null
}

# A Wine process of this prefix whose executable or command line matches $1.
prefix_pid() {
    local p
    for p in /proc/[0-9]*; do
        grep -qzx "WINEPREFIX=$PREFIX" "$p/environ" 2>/dev/null || continue
        case "$(readlink "$p/exe" 2>/dev/null) $(tr '\0' ' ' <"$p/cmdline" 2>/dev/null)" in
        *$1*) echo "${p#/proc/}"; return 0 ;;
        esac
    done
    return 1
}

# User + system clock ticks of a whole process (all its threads, dead ones included).
cpu_ticks() { awk '{ sub(/^.*\) /, ""); print $12 + $13 }' "/proc/$1/stat" 2>/dev/null || echo 0; }
# Context switches of all its live threads: each request to the wineserver is one, each wake-up too.
switches() { cat /proc/"$1"/task/*/status 2>/dev/null | awk '/ctxt_switches/ { n += $2 } END { print n + 0 }'; }
hwm_kb() { awk '/^VmHWM/ { print $2 }' "/proc/$1/status" 2>/dev/null || echo 0; }
now() { date +%s.%N; }

# ---- end-time error ------------------------------------------------------------------------------

# The real timer and the plain loop side by side, each in a process of its own (so that neither
# handler delays the other's tick); figures into timer_real / timer_plain, keyed by tick count.
declare -A TIMER_REAL TIMER_PLAIN
run_timers() {
    local ticks=$1; shift
    start_bg "$OUT/timer-real.txt" "$BUILD/bench_timer.exe" real "$ticks" "$@"; local real=$STARTED
    start_bg "$OUT/timer-plain.txt" "$BUILD/bench_timer.exe" plain "$ticks" "$@"; local plain=$STARTED
    wait "$real" || die "the real timer's run failed: $(cat "$OUT/timer-real.txt")"
    wait "$plain" || die "the plain loop's run failed: $(cat "$OUT/timer-plain.txt")"
    local n e
    while read -r _ n _ e; do TIMER_REAL[$n]=$e; done < <(tr -d '\r' <"$OUT/timer-real.txt" | grep '^ticks ')
    while read -r _ n _ e; do TIMER_PLAIN[$n]=$e; done < <(tr -d '\r' <"$OUT/timer-plain.txt" | grep '^ticks ')
}

# ---- CPU and memory while counting ----------------------------------------------------------------

# measure NAME PROGRAM ARGS...: the program idles or counts for CPU_SECONDS; sets CPU_<NAME> (s),
# WS_<NAME> (wineserver's s), EXP_<NAME> (explorer's s), WAKE_<NAME> (context switches/s), HWM_<NAME> (kB).
# NAME "locked": the program counts with the session locked, as Windows tells it.
declare -A CPU WS EXP WAKE WSWAKE HWM
measure() {
    local name=$1 exe=$2; shift 2
    start_bg "$OUT/run-$name.txt" "$exe" "$@"; local pid=$STARTED
    if [ "$(basename "$exe")" = NocTuro.exe ]; then
        wrun "$BUILD/bench_app.exe" counting 20000 </dev/null >>"$OUT/run-$name.txt" 2>&1 ||
            die "$name: the program does not count: $(cat "$OUT/run-$name.txt")"
    fi
    if [ "$name" = locked ]; then
        wrun "$BUILD/bench_app.exe" lock </dev/null >>"$OUT/run-$name.txt" 2>&1 || die "locked: $(cat "$OUT/run-$name.txt")"
    fi
    sleep 3  # past the start-up
    kill -0 "$pid" 2>/dev/null || die "$name: the program ended early"
    local ws exp
    ws=$(prefix_pid /wineserver) || die "no wineserver for $PREFIX"
    exp=$(prefix_pid explorer.exe) || exp=""
    local t0 c0 s0 w0 sw0 e0 t1 c1 s1 w1 sw1 e1
    t0=$(now); c0=$(cpu_ticks "$pid"); s0=$(cpu_ticks "$ws"); w0=$(switches "$pid"); sw0=$(switches "$ws")
    e0=$([ -n "$exp" ] && cpu_ticks "$exp" || echo 0)
    sleep "$CPU_SECONDS"
    t1=$(now); c1=$(cpu_ticks "$pid"); s1=$(cpu_ticks "$ws"); w1=$(switches "$pid"); sw1=$(switches "$ws")
    e1=$([ -n "$exp" ] && cpu_ticks "$exp" || echo 0)
    HWM[$name]=$(hwm_kb "$pid")
    kill -0 "$pid" 2>/dev/null || die "$name: the program ended during the measurement"
    stop_pid "$pid"
    local span; span=$(echo "$t1 - $t0" | bc -l)
    CPU[$name]=$(echo "($c1 - $c0) / $HZ * $CPU_SECONDS / $span" | bc -l)
    WS[$name]=$(echo "($s1 - $s0) / $HZ * $CPU_SECONDS / $span" | bc -l)
    EXP[$name]=$(echo "($e1 - $e0) / $HZ * $CPU_SECONDS / $span" | bc -l)
    WAKE[$name]=$(echo "($w1 - $w0) / $span" | bc -l)
    WSWAKE[$name]=$(echo "($sw1 - $sw0) / $span" | bc -l)
}

# ---- the table -------------------------------------------------------------------------------------

row() { printf '%-50s %-22s %-26s %-22s %s\n' "$@"; }
verdict() { if [ "$(echo "$1" | bc -l)" = 1 ]; then echo met; else echo MISSED; fi; }
abs() { echo "$1" | awk '{ print ($1 < 0 ? -$1 : $1) }'; }
f1() { printf '%.1f' "$1"; }
f2() { printf '%.2f' "$1"; }
pct() { printf '%.3f %%' "$(echo "100 * $1 / $CPU_SECONDS" | bc -l)"; }

timer_rows() {
    local n
    for n in "$@"; do
        local r=${TIMER_REAL[$n]:-} p=${TIMER_PLAIN[$n]:-}
        [ -n "$r" ] && [ -n "$p" ] || die "no end-time figure for $n ticks"
        row "end-time error, $n ticks of 1000 ms (ms)" "timer $(f1 "$r")" "plain loop $(f1 "$p")" "|error| <= 20" \
            "$(verdict "$(abs "$r") <= 20")"
    done
}

header() {
    echo "NocTuro benchmarks ($MODE), $(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) cores," \
        "load average $(cut -d' ' -f1-3 /proc/loadavg) at the end"
    echo "Wine $("$WINECTL" run "$STATE" --version 2>/dev/null), prefix $PREFIX"
    echo "Figures on a loaded machine are noisy; the comparison figure beside each was measured in this run."
    echo
    row "measure" "NocTuro" "compared to" "target" "verdict"
    row "-------" "-------" "-----------" "------" "-------"
}

wrun "$BUILD/bench_app.exe" prepare </dev/null >/dev/null 2>&1 || die "cannot store the settings"

if [ "$MODE" = long ]; then
    run_timers 600 120 300
    {
        header
        timer_rows 120 300 600
        d=$(echo "${TIMER_REAL[600]} - ${TIMER_REAL[120]}" | bc -l)
        row "  timer: 600 minus 120 ticks (ms)" "$(f1 "$d")" "plain loop $(f1 "$(echo "${TIMER_PLAIN[600]} - ${TIMER_PLAIN[120]}" | bc -l)")" \
            "same: |diff| <= 16" "$(verdict "$(abs "$d") <= 16")"
        echo
        echo "Error: when tick n's handler starts, by GetSystemTimePreciseAsFileTime, minus enabling + n x 1000 ms;"
        echo "handler works 20 ms; the two loops run at the same time, each in a process of its own."
    } | tee "$TABLE"
    exit 0
fi

# Start-up first, while nothing else of ours runs.
NOC=$(winpath "$BUILD/NocTuro.exe")
BARE=$(winpath "$BUILD/bench_bare.exe")
read -r _ START_NOC START_NOC_MIN START_NOC_MAX _ WIN_NOC < <(wrun "$BUILD/bench_app.exe" startup $STARTS "$NOC" TForm2 \
    </dev/null 2>"$OUT/startup.err" | tr -d '\r' | grep '^startup_ms') || die "start-up: $(cat "$OUT/startup.err")"
read -r _ START_BARE START_BARE_MIN START_BARE_MAX _ WIN_BARE < <(wrun "$BUILD/bench_app.exe" startup $STARTS "$BARE" \
    NocBareWindow show </dev/null 2>>"$OUT/startup.err" | tr -d '\r' | grep '^startup_ms') ||
    die "start-up: $(cat "$OUT/startup.err")"
read -r _ START_LIBS _ _ _ _ < <(wrun "$BUILD/bench_app.exe" startup $STARTS "$(winpath "$BUILD/bench_bare_imports.exe")" \
    NocBareWindow show </dev/null 2>>"$OUT/startup.err" | tr -d '\r' | grep '^startup_ms') ||
    die "start-up: $(cat "$OUT/startup.err")"

run_timers "$TICKS"

# The bare program first, on a notification area still empty.
measure bare "$BUILD/bench_bare.exe"
measure oui "$BUILD/NocTuro.exe" '*' 1 2 3 4 oui
measure non "$BUILD/NocTuro.exe" '*' 1 2 3 4 non
measure locked "$BUILD/NocTuro.exe" '*' 1 2 3 4 oui
BEFORE=${NOC_BENCH_BEFORE:-}
if [ -n "$BEFORE" ]; then
    [ "$(basename "$BEFORE")" = NocTuro.exe ] || die "NOC_BENCH_BEFORE must name a NocTuro.exe"
    measure before "$BEFORE" '*' 1 2 3 4 oui
fi
# The libraries' and resources' share of the memory: the bare program that loads them, idle.
start_bg "$OUT/run-libs.txt" "$BUILD/bench_bare_imports.exe"
sleep 5
HWM_LIBS=$(hwm_kb "$STARTED")
stop_pid "$STARTED"

if [ -f "$BUILD/../dist/x64/NocTuro.exe" ]; then
    SIZE_FILE=$(cd "$BUILD/../dist/x64" && pwd)/NocTuro.exe
    SIZE_LABEL="dist/x64/NocTuro.exe"
else
    SIZE_FILE="$OUT/NocTuro-stripped.exe"
    x86_64-w64-mingw32-strip -o "$SIZE_FILE" "$BUILD/NocTuro.exe" || die "cannot strip NocTuro.exe"
    SIZE_LABEL="build, stripped copy"
fi
SIZE=$(stat -c %s "$SIZE_FILE")
UNSTRIPPED=$(stat -c %s "$BUILD/NocTuro.exe")

{
    header
    timer_rows "$TICKS"
    for n in oui non; do
        both=$(echo "${CPU[$n]} + ${WS[$n]}" | bc -l)
        bareBoth=$(echo "${CPU[bare]} + ${WS[bare]}" | bc -l)
        row "CPU ${CPU_SECONDS} s counting, Chrono $n (s of CPU)" "$(f2 "${CPU[$n]}") ($(pct "${CPU[$n]}"))" \
            "bare $(f2 "${CPU[bare]}") ($(pct "${CPU[bare]}"))" "<= 0.05 % of a core" \
            "$(verdict "100 * ${CPU[$n]} / $CPU_SECONDS <= 0.05")"
        if [ "$(echo "$bareBoth > 0" | bc -l)" = 1 ]; then
            ratio="$(f1 "$(echo "$both / $bareBoth" | bc -l)")x"
        else
            ratio="n/a"
        fi
        row "  with wineserver's share (s), ratio $ratio" "$(f2 "$both") (ws $(f2 "${WS[$n]}"))" \
            "bare $(f2 "$bareBoth") (ws $(f2 "${WS[bare]}"))" "<= 2x bare" \
            "$(verdict "$both <= 2 * $bareBoth")"
        row "  explorer (draws the tray), s" "$(f2 "${EXP[$n]}")" "bare $(f2 "${EXP[bare]}")" "(information)" ""
        row "  context switches/s: program, wineserver" "$(f1 "${WAKE[$n]}"), $(f1 "${WSWAKE[$n]}")" \
            "bare $(f1 "${WAKE[bare]}"), $(f1 "${WSWAKE[bare]}")" "(information)" ""
    done
    bareBoth=$(echo "${CPU[bare]} + ${WS[bare]}" | bc -l)
    locked=$(echo "${CPU[locked]} + ${WS[locked]}" | bc -l)
    row "CPU ${CPU_SECONDS} s counting locked, Chrono oui, with ws (s)" "$(f2 "$locked") (ws $(f2 "${WS[locked]}"))" \
        "bare $(f2 "$bareBoth")" "<= 1.2x bare" "$(verdict "$locked <= 1.2 * $bareBoth")"
    row "  context switches/s: program, wineserver" "$(f1 "${WAKE[locked]}"), $(f1 "${WSWAKE[locked]}")" \
        "bare $(f1 "${WAKE[bare]}"), $(f1 "${WSWAKE[bare]}")" "(information)" ""
    if [ -n "$BEFORE" ]; then
        now=$(echo "${CPU[oui]} + ${WS[oui]}" | bc -l)
        was=$(echo "${CPU[before]} + ${WS[before]}" | bc -l)
        row "  Chrono oui, with ws, against the build before (s)" "$(f2 "$now") (ws $(f2 "${WS[oui]}"))" \
            "before $(f2 "$was") (ws $(f2 "${WS[before]}"))" "<= 0.5x before" "$(verdict "$now <= 0.5 * $was")"
        row "  before: program alone, switches/s prog, ws" "$(f2 "${CPU[oui]}")" \
            "before $(f2 "${CPU[before]}"), $(f1 "${WAKE[before]}"), $(f1 "${WSWAKE[before]}")" "(information)" ""
        row "  before: peak resident set (KiB)" "${HWM[oui]}" "before ${HWM[before]}" "(information)" ""
    fi
    row "start-up to window visible, median of $STARTS (ms)" "$(f1 "$START_NOC") [$(f1 "$START_NOC_MIN")..$(f1 "$START_NOC_MAX")]" \
        "bare $(f1 "$START_BARE") [$(f1 "$START_BARE_MIN")..$(f1 "$START_BARE_MAX")]" "<= 150, <= 1.5x bare" \
        "$(verdict "$START_NOC <= 150 && $START_NOC <= 1.5 * $START_BARE")"
    row "  bare with the program's libraries+resources" "" "$(f1 "$START_LIBS")" "(information)" ""
    row "  windows made when shown (each costs requests)" "$WIN_NOC" "bare $WIN_BARE" "(information)" ""
    row "peak resident set after ${CPU_SECONDS} s counting (KiB)" "oui ${HWM[oui]}, non ${HWM[non]}" \
        "bare ${HWM[bare]}, +libs ${HWM_LIBS}" "(comparison)" ""
    own=$(( HWM[oui] - HWM_LIBS ))
    row "  the program's own: oui minus bare+libs (KiB)" "$own" "" "<= 3584 (3.5 MiB)" "$(verdict "$own <= 3584")"
    row "size of NocTuro.exe (bytes)" "$SIZE" "unstripped $UNSTRIPPED" "<= 1 MB (1048576)" \
        "$(verdict "$SIZE <= 1048576")"
    echo
    echo "End-time error: when tick n's handler starts, by GetSystemTimePreciseAsFileTime, minus enabling +"
    echo "  n x 1000 ms; handler works 20 ms; timer and plain loop run at the same time, one process each."
    echo "CPU: utime+stime from /proc of the Wine process over ${CPU_SECONDS} s, NocTuro.exe * 1 2 3 4 oui|non"
    echo "  (five tray icons / program icon only), against bench_bare.exe (hidden window, message loop);"
    echo "  locked: Chrono oui after WM_WTSSESSION_CHANGE (WTS_SESSION_LOCK) sent to the program's window."
    echo "Start-up: CreateProcess to a visible window of the process (looked for every 2 ms), warm wineserver;"
    echo "  the bare program built again with every library the program imports and its resources tells"
    echo "  the libraries' share from the program's own set-up."
    echo "Size: $SIZE_LABEL."
} | tee "$TABLE"
