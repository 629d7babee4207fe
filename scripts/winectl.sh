#!/bin/bash
# Private Wine environment for the tests and for `make run`.
#
#   winectl.sh setup   STATE [desktop]  make the prefix (once), start a private Xvfb and a persistent wineserver
#   winectl.sh desktops STATE N         the tests' N desktops: each a fresh copy of the template prefix
#                                       (STATE/template, made once), with its own Xvfb and wineserver
#   winectl.sh cleanup STATE            end the wineservers and the Xvfbs that setup or desktops started
#   winectl.sh run     STATE prog args  run a Windows program in that environment (the test emulator)
#   winectl.sh shell   STATE cmd args   run any command with that environment exported
#   winectl.sh stop    STATE            end every Windows process of that prefix and its wineserver
#
# STATE is a folder that holds the prefix (STATE/prefix unless WINEPREFIX is set) and the display
# that setup chose (STATE/display). Desktop 0 is STATE itself, desktop N is STATE/desktop-N; run,
# shell and stop use the one CTest gave the test (CTEST_RESOURCE_GROUP_0_DESKTOP, "id:N,slots:1").
# Every process started here is ended by its id in cleanup.
set -u
# Wine's own programs, found once here for every script: where wineserver really lives.
WINE_DIR=$(dirname "$(readlink -f "$(command -v wineserver || echo /usr/lib/wine/wineserver)")")
# NOC_WINEARCH=win32: a 32-bit Windows (needs Wine's 32-bit part, Debian's wine32).
export WINEARCH=${NOC_WINEARCH:-win64}
WINE="$WINE_DIR/wine64"
[ "$WINEARCH" = win32 ] && WINE="$WINE_DIR/wine"
WINESERVER="$WINE_DIR/wineserver"

cmd=${1:?command}; STATE=${2:?state folder}; shift 2
mkdir -p "$STATE"
STATE=$(cd "$STATE" && pwd)
# The desktop CTest gave the test, when it gave one.
given=${CTEST_RESOURCE_GROUP_0_DESKTOP:-}
given=${given#id:}; given=${given%%,*}
case "$cmd" in run | shell | stop)
    [ -z "${NOC_WINEPREFIX:-}" ] && [ -n "$given" ] && [ "$given" != 0 ] && STATE="$STATE/desktop-$given" ;;
esac

export WINEPREFIX=${NOC_WINEPREFIX:-$STATE/prefix}
export WINEDEBUG=${NOC_WINEDEBUG:--all}  # a script may ask for a trace
# No sound drivers unless a caller asks for its own overrides (NOC_WINEDLLOVERRIDES).
export WINEDLLOVERRIDES=${NOC_WINEDLLOVERRIDES:-"mscoree,mshtml=;winealsa.drv,winepulse.drv=d"}
[ -f "$STATE/display" ] && export DISPLAY=$(cat "$STATE/display")

quiet() { "$@" </dev/null >/dev/null 2>&1; }

# Xvfb takes the first free display itself and names it once it accepts connections: picking a
# number here and starting Xvfb on it raced with other scripts starting theirs at the same moment,
# and two of them could end up on one display, which the first to clean up took from the other.
start_xvfb() {
    local named="$STATE/xvfb.display" pid n=
    rm -f "$named"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$named" </dev/null >/dev/null 2>&1 &
    pid=$!
    for _ in $(seq 1 200); do
        # The number is whole once its line ends.
        [ -s "$named" ] && [ -z "$(tail -c 1 "$named")" ] && n=$(head -n 1 "$named") && break
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.05
    done
    if [ -n "$n" ] && kill -0 "$pid" 2>/dev/null; then
        echo "$pid" > "$STATE/xvfb.pid"
        echo ":$n" > "$STATE/display"
        export DISPLAY=":$n"
        return 0
    fi
    kill "$pid" 2>/dev/null
    echo "winectl: no X display" >&2
    return 1
}

reg_add() { quiet "$WINE" reg add "$@" /f; }

make_prefix() {
    [ -f "$WINEPREFIX/.noc-ready" ] && return 0
    if [ -n "${NOC_WINEPREFIX:-}" ]; then
        # A prefix of the user's: made if missing, never wiped.
        [ -f "$WINEPREFIX/system.reg" ] && return 0
    else
        rm -rf "$WINEPREFIX"
    fi
    mkdir -p "$(dirname "$WINEPREFIX")"
    quiet "$WINE" wineboot -i
    quiet "$WINESERVER" -w
    # Wine's own fonts (Tahoma, Marlett...) where its programs find them.
    [ -d /usr/share/wine/fonts ] && cp -n /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null
    touch "$WINEPREFIX/.noc-ready"
}

configure_desktop() {
    # $1 = yes: one virtual desktop for every process (a driver then sees the program's windows,
    # and hiding a window costs nothing without a window manager).
    if [ "$1" = yes ]; then
        reg_add 'HKCU\Software\Wine\Explorer' /v Desktop /t REG_SZ /d Default
        reg_add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /t REG_SZ /d 800x600
    else
        quiet "$WINE" reg delete 'HKCU\Software\Wine\Explorer' /v Desktop /f
    fi
}

case "$cmd" in
setup)
    # test: own Xvfb and a virtual desktop. run: own Xvfb (with a virtual desktop) only when there
    # is no display; the user's display and prefix are otherwise left as they are.
    mode=${1:-test}
    "$0" cleanup "$STATE" >/dev/null 2>&1
    rm -f "$STATE/display"
    desktop=no
    if [ "$mode" = test ] || [ -z "${DISPLAY:-}" ]; then start_xvfb || exit 1; desktop=yes; fi
    make_prefix
    if [ -z "${NOC_WINEPREFIX:-}" ] || [ "$desktop" = yes ]; then
        # A copy of the tests' template has its desktop already.
        [ "$desktop" = yes ] && [ -f "$WINEPREFIX/.noc-desktop" ] || configure_desktop "$desktop"
        quiet "$WINESERVER" -k
        quiet "$WINESERVER" -w
    fi
    # A persistent server, started with stdio detached so that nothing keeps the caller's pipes open.
    quiet "$WINESERVER" -p
    quiet "$WINE" reg query 'HKCU\Software\Wine\Explorer'
    echo "winectl: prefix $WINEPREFIX on display ${DISPLAY:-none}"
    ;;
desktops)
    # The template: a prefix that no test runs in, set up for a virtual desktop once.
    n=${1:?number of desktops}
    "$0" cleanup "$STATE" >/dev/null 2>&1
    if [ ! -f "$STATE/template/.noc-desktop" ]; then
        rm -rf "$STATE/template"
        ( export WINEPREFIX="$STATE/template"; unset NOC_WINEPREFIX; make_prefix && configure_desktop yes &&
          quiet "$WINESERVER" -w && touch "$WINEPREFIX/.noc-desktop" ) || exit 1
    fi
    # Each desktop from a fresh copy, so that no run inherits what an earlier one left in its
    # registry. The copies at once, then the displays, then each desktop's wineserver and warm-up
    # run at once.
    dirs=() jobs=() status=0
    for i in $(seq 0 $((n - 1))); do
        dir=$STATE; [ "$i" = 0 ] || dir="$STATE/desktop-$i"
        dirs+=("$dir")
        mkdir -p "$dir" && rm -rf "$dir/prefix" || exit 1
        cp -a "$STATE/template" "$dir/prefix" &
        jobs+=($!)
    done
    for j in "${jobs[@]}"; do wait "$j" || status=1; done
    [ $status = 0 ] || exit 1
    jobs=()
    for dir in "${dirs[@]}"; do
        ( STATE=$dir; start_xvfb ) || exit 1
        ( export WINEPREFIX="$dir/prefix" DISPLAY=$(cat "$dir/display")
          quiet "$WINESERVER" -p; quiet "$WINE" reg query 'HKCU\Software\Wine\Explorer'
          echo "winectl: prefix $WINEPREFIX on display $DISPLAY" ) &
        jobs+=($!)
    done
    for j in "${jobs[@]}"; do wait "$j" || status=1; done
    exit $status
    ;;
cleanup)
    for dir in "$STATE" "$STATE"/desktop-*; do
        [ -d "$dir" ] || continue
        [ -z "${NOC_WINEPREFIX:-}" ] && [ -d "$dir/prefix" ] && WINEPREFIX="$dir/prefix" quiet "$WINESERVER" -k
        [ -f "$dir/xvfb.pid" ] || continue
        pid=$(cat "$dir/xvfb.pid")
        kill "$pid" 2>/dev/null
        for _ in $(seq 1 40); do kill -0 "$pid" 2>/dev/null || break; sleep 0.05; done
        kill -9 "$pid" 2>/dev/null
        rm -f "$dir/xvfb.pid" "$dir/xvfb.display" "$dir/display"
    done
    ;;
run)
    exec "$WINE" "$@"
    ;;
shell)
    exec "$@"
    ;;
stop)
    quiet "$WINESERVER" -k
    ;;
*)
    echo "winectl: unknown command $cmd" >&2; exit 2 ;;
esac
