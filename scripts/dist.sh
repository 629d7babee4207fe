#!/bin/bash
# `make dist`: the release builds of NocTuro.exe for 64-bit and 32-bit Windows (optimised,
# stripped, statically linked) and the setup program that installs one of them, into dist/:
#   dist/x64/NocTuro.exe  dist/x86/NocTuro.exe  dist/NocTuro-VERSION-setup.exe
# Build folders: build-release-x64, build-release-x86 (the program alone, no tests), and
# build-dist/stage for what the setup is made of (design settings, alert sound).
set -euo pipefail
cd "$(dirname "$0")/.."
SRC=$PWD
JOBS=${JOBS:-2}

scripts/install-packages.sh cmake make g++ doctest-dev g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 \
    g++-mingw-w64-i686-posix binutils-mingw-w64-i686 nsis sox lame

VERSION=$(sed -n 's/^project(NocTuro VERSION \([0-9]*\.[0-9]*\).*/\1/p' CMakeLists.txt)
[ -n "$VERSION" ] || { echo "dist: no version in CMakeLists.txt" >&2; exit 1; }
STAGE=build-dist/stage
OUT=dist
mkdir -p "$STAGE" "$OUT/x64" "$OUT/x86"

# release ARCH TOOLCHAIN TRIPLET: builds NocTuro.exe and checks that it needs only Windows' own DLLs.
release() {
    local arch=$1 toolchain=$2 triplet=$3 build=build-release-$1
    echo "dist: NocTuro.exe for $arch"
    cmake --no-warn-unused-cli -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" -DCMAKE_EXE_LINKER_FLAGS=-s >/dev/null
    cmake --build "$build" --target NocTuro -j"$JOBS" -- --no-print-directory >/dev/null
    tests/check_imports.sh "$triplet-objdump" "$build/NocTuro.exe" >/dev/null ||
        { tests/check_imports.sh "$triplet-objdump" "$build/NocTuro.exe"; exit 1; }
    cp "$build/NocTuro.exe" "$OUT/$arch/NocTuro.exe"
}
release x64 cmake/mingw-w64-x86_64.cmake x86_64-w64-mingw32
release x86 cmake/mingw-w64-i686.cmake i686-w64-mingw32

# The thirteen design values with their integrity text, computed by the program's own code.
g++ -std=c++17 -O1 -Wall -Wextra -finput-charset=UTF-8 -fexec-charset=CP1252 -Isrc \
    installer/settings_defaults.cpp src/settings/SettingsTable.cpp src/settings/Scramble.cpp src/settings/IntConvert.cpp \
    -o "$STAGE/settings_defaults"
"$STAGE/settings_defaults" > "$STAGE/settings.nsh"

# The default alert sound: a soft rising chime (C6, E6, G6, each with a quiet octave, dying away).
chime() {
    local dir=$STAGE/chime parts=() i=0 f at
    rm -rf "$dir"; mkdir -p "$dir"
    for note in "1046.5 0" "1318.5 0.16" "1568.0 0.32"; do
        read -r f at <<< "$note"
        sox -D -n -r 44100 -c 1 -b 16 "$dir/f$i.wav" synth 1.8 sine "$f" fade l 0.01 1.8 1.75 pad "$at"
        sox -D -n -r 44100 -c 1 -b 16 "$dir/h$i.wav" synth 1.0 sine "$(awk -v f="$f" 'BEGIN { print 2 * f }')" \
            fade l 0.01 1.0 0.95 pad "$at"
        parts+=(-v 0.4 "$dir/f$i.wav" -v 0.08 "$dir/h$i.wav")
        i=$((i + 1))
    done
    sox -D -m "${parts[@]}" "$dir/chime.wav" gain -n -3 pad 0 0.3 reverb 30 50 50 gain -n -3
    lame --quiet -m m -b 96 "$dir/chime.wav" "$STAGE/Alerte.mp3"
}
chime

SETUP="$OUT/NocTuro-$VERSION-setup.exe"
echo "dist: setup program"
makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$VERSION" \
    -DEXE_X64="$SRC/$OUT/x64/NocTuro.exe" -DEXE_X86="$SRC/$OUT/x86/NocTuro.exe" \
    -DSOUND="$SRC/$STAGE/Alerte.mp3" -DSETTINGS="$SRC/$STAGE/settings.nsh" \
    -DICON="$SRC/res/pictures/nocturo.ico" -DPOLICY="$SRC/installer/policy" -DOUTFILE="$SRC/$SETUP" installer/NocTuro.nsi >/dev/null

echo "dist: made"
for f in "$OUT/x64/NocTuro.exe" "$OUT/x86/NocTuro.exe" "$SETUP"; do
    printf '  %-32s %8d bytes (%d KiB)\n' "$f" "$(stat -c %s "$f")" "$(( ($(stat -c %s "$f") + 1023) / 1024 ))"
done
