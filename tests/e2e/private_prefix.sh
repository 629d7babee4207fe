# Sourced by the end-to-end scripts whose countdowns reach zero. The real shutdown request ends
# every process of its prefix, so each such countdown runs in a copy of the tests' template prefix
# (never run in, so never caught half-written) with a wineserver and display of its own. The script sets SRC, BUILD and STATE before sourcing this.
WINECTL="$SRC/scripts/winectl.sh"
pids=()

# Ends what the script started, by id, then the copy's wineserver and display, and removes it.
end_prefix() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
    pids=()
    NOC_WINEPREFIX="$STATE/prefix" "$WINECTL" stop "$STATE" 2>/dev/null
    NOC_WINEPREFIX="$STATE/prefix" "$WINECTL" cleanup "$STATE" 2>/dev/null
    rm -rf "$STATE"
}
fail() { echo "FAIL: $*"; end_prefix; exit 1; }

# A fresh copy of the test prefix, without settings, with its own wineserver and display.
private_prefix() {
    end_prefix
    mkdir -p "$STATE"
    cp -a "$BUILD/wine/template" "$STATE/prefix" || fail "cannot copy the prefix"
    export NOC_WINEPREFIX="$STATE/prefix"
    "$WINECTL" setup "$STATE" test >/dev/null || fail "cannot set up the copy"
    run reg delete 'HKLM\Software\Belvane\NocTuro' /f >/dev/null 2>&1
}
run() { "$WINECTL" run "$STATE" "$@"; }

# One setting as stored, or nothing when it is absent.
query() { run reg query 'HKLM\Software\Belvane\NocTuro' /v "$1" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$1 *REG_SZ *//p"; }

# A bystander: any Windows program of the prefix must be ended by the shutdown. Sets `bystander`.
start_bystander() {
    run notepad.exe </dev/null >/dev/null 2>&1 &
    bystander=$!; pids+=($bystander)
    run "$BUILD/zero_steps.exe" wait-window Notepad >/dev/null || fail "the bystander did not show"
}

# Waits up to $2 tenths of a second for the process $1 to end; false if it still runs.
ends_within() {
    for _ in $(seq 1 "$2"); do kill -0 "$1" 2>/dev/null || return 0; sleep 0.1; done
    ! kill -0 "$1" 2>/dev/null
}
