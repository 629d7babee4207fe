#!/bin/bash
# `make dist-test`: makes dist/ (scripts/dist.sh), then tests the release builds and the setup
# program under Wine, each Windows in a fresh prefix of its own under build-dist/:
#   wine    64-bit Windows: tests/dist/test_dist_install.cpp (install, first start, upgrade,
#           uninstall refused while NocTuro runs, uninstall);
#   wine32  32-bit Windows (WINEARCH=win32): tests/dist/test_dist_x86.cpp, then the installed
#           32-bit build runs `* 0 0 0 3` to the shutdown request, which must end a bystander.
# The setup program is a 32-bit program, so both need Wine's 32-bit part (Debian's wine32, from
# the i386 architecture, installed here when missing). With it, every new 64-bit prefix also gets
# its 32-bit half (WoW64).
set -u
cd "$(dirname "$0")/.."
SRC=$PWD
JOBS=${JOBS:-2}
WINECTL=$SRC/scripts/winectl.sh
ROOT=$SRC/build-dist
passed=0
failed=0
pass() { echo "PASS: $*"; passed=$((passed + 1)); }
fail() { echo "FAIL: $*"; failed=$((failed + 1)); }
finish() {
    echo "$passed passed, $failed failed"
    [ "$failed" -eq 0 ]
    exit
}

scripts/dist.sh || exit 1
scripts/deps.sh || exit 1
scripts/install-packages.sh wine32:i386 || { echo "dist-test: Wine's 32-bit part cannot be installed" >&2; exit 1; }

VERSION=$(sed -n 's/^project(NocTuro VERSION \([0-9]*\.[0-9]*\).*/\1/p' CMakeLists.txt)
SETUP=$SRC/dist/NocTuro-$VERSION-setup.exe
export NOC_SETUP="Z:${SETUP//\//\\}"

# What dist/ holds, checked natively.
for arch in x64 x86; do
    size=$(stat -c %s "dist/$arch/NocTuro.exe")
    if [ "$size" -le 1048576 ]; then pass "dist/$arch/NocTuro.exe is $size bytes, at most 1 MiB"
    else fail "dist/$arch/NocTuro.exe is $size bytes, more than 1 MiB"; fi
done
stats=$(lame --quiet --decode "$ROOT/stage/Alerte.mp3" - 2>/dev/null | sox -t wav - -n stat 2>&1)
seconds=$(sed -n 's/^Length (seconds): *//p' <<< "$stats")
peak=$(sed -n 's/^Maximum amplitude: *//p' <<< "$stats")
if awk -v s="${seconds:-0}" -v p="${peak:-0}" 'BEGIN { exit !(s >= 1 && s <= 4 && p >= 0.2 && p < 1) }'; then
    pass "Alerte.mp3 decodes to a ${seconds} s sound, peak ${peak}"
else fail "Alerte.mp3 decodes to '${seconds}' s, peak '${peak}'"; fi

# test_tree ARCH TOOLCHAIN TARGET: the test program, built in build-dist/tests-ARCH.
test_tree() {
    cmake --no-warn-unused-cli -S . -B "$ROOT/tests-$1" -DCMAKE_TOOLCHAIN_FILE="$2" -DNOC_DIST_TESTS=ON >/dev/null &&
        cmake --build "$ROOT/tests-$1" --target "$3" -j"$JOBS" -- --no-print-directory >/dev/null
}
test_tree x64 cmake/mingw-w64-x86_64.cmake test_dist_install || exit 1
test_tree x86 cmake/mingw-w64-i686.cmake test_dist_x86 || exit 1

# A clean prefix of each kind is made once (build-dist/template-ARCH) and copied for every run.
# Wine's menu builder stays off: shortcuts must not reach this machine's own menus.
fresh_prefix() {  # STATE WINEARCH
    local state=$1 arch=$2 template=$ROOT/template-$2
    if [ ! -f "$template/prefix/.noc-ready" ]; then
        NOC_WINEARCH=$arch "$WINECTL" setup "$template" test >/dev/null || return 1
        NOC_WINEARCH=$arch "$WINECTL" run "$template" reg add 'HKCU\Software\Wine\DllOverrides' \
            /v winemenubuilder.exe /t REG_SZ /d "" /f >/dev/null 2>&1
        NOC_WINEARCH=$arch "$WINECTL" cleanup "$template"
    fi
    stop_prefix "$state" "$arch"
    rm -rf "$state"; mkdir -p "$state"
    cp -a "$template/prefix" "$state/prefix" || return 1
    NOC_WINEARCH=$arch NOC_WINEPREFIX=$state/prefix "$WINECTL" setup "$state" test >/dev/null
}
stop_prefix() {  # STATE WINEARCH
    [ -d "$1/prefix" ] || return 0
    NOC_WINEARCH=$2 NOC_WINEPREFIX=$1/prefix "$WINECTL" stop "$1" 2>/dev/null
    NOC_WINEARCH=$2 NOC_WINEPREFIX=$1/prefix "$WINECTL" cleanup "$1" 2>/dev/null
}
in_prefix() {  # STATE WINEARCH program args...: run there, ended after 10 minutes at most
    local state=$1 arch=$2; shift 2
    NOC_WINEARCH=$arch NOC_WINEPREFIX=$state/prefix timeout 600 "$WINECTL" run "$state" "$@"
}

# ---- 64-bit Windows -------------------------------------------------------------------------
W64=$ROOT/wine
if fresh_prefix "$W64" win64; then
    if in_prefix "$W64" win64 "$ROOT/tests-x64/test_dist_install.exe" </dev/null; then
        pass "install, first start, upgrade and uninstall on 64-bit Windows"
    else fail "install, first start, upgrade and uninstall on 64-bit Windows"; fi
else fail "cannot make the 64-bit prefix"; fi
stop_prefix "$W64" win64

# ---- 32-bit Windows -------------------------------------------------------------------------
W32=$ROOT/wine32
if fresh_prefix "$W32" win32; then
    if in_prefix "$W32" win32 "$ROOT/tests-x86/test_dist_x86.exe" </dev/null; then
        pass "the 32-bit build installed on 32-bit Windows starts and finds its sound"
    else fail "the 32-bit build installed on 32-bit Windows starts and finds its sound"; fi
    installed="$W32/prefix/drive_c/Program Files/NocTuro"
    if cmp -s "$installed/Alerte.mp3" "$ROOT/stage/Alerte.mp3"; then pass "the installed Alerte.mp3 is the one built"
    else fail "the installed Alerte.mp3 differs from the one built"; fi

    # The shutdown request ends every Windows program of the prefix: the bystander must go too.
    in_prefix "$W32" win32 notepad.exe </dev/null >/dev/null 2>&1 &
    bystander=$!
    in_prefix "$W32" win32 'C:\Program Files\NocTuro\NocTuro.exe' '*' 0 0 0 3 </dev/null >/dev/null 2>&1 &
    noc=$!
    for _ in $(seq 1 300); do kill -0 "$noc" 2>/dev/null || break; sleep 0.1; done
    for _ in $(seq 1 100); do kill -0 "$bystander" 2>/dev/null || break; sleep 0.1; done
    saved=$(in_prefix "$W32" win32 reg query 'HKLM\Software\Belvane\NocTuro' /v Secondes 2>/dev/null |
            tr -d '\r' | sed -n 's/^ *Secondes *REG_SZ *//p')
    if kill -0 "$noc" 2>/dev/null; then fail "the 32-bit NocTuro still runs 30 s after a 3-second countdown"
    elif kill -0 "$bystander" 2>/dev/null; then fail "the 32-bit NocTuro ended but no shutdown ended the bystander"
    elif [ "$saved" != 3 ]; then fail "the 32-bit NocTuro's close at zero saved Secondes '$saved', not 3"
    else pass "the 32-bit NocTuro counts 3 seconds, saves and requests the shutdown"; fi
    kill "$noc" "$bystander" 2>/dev/null
else fail "cannot make the 32-bit prefix"; fi
stop_prefix "$W32" win32

finish
