#!/bin/sh
# Installs the Debian packages the build and the tests need, only those that are missing.
# Quiet when everything is already there.
set -e
PKGS="cmake make g++ g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine wine64 fonts-wine xvfb doctest-dev clang libclang-rt-14-dev xdotool x11-utils imagemagick sox pulseaudio pulseaudio-utils lame gstreamer1.0-plugins-base gstreamer1.0-plugins-good"
missing=""
for p in $PKGS; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
echo "Installing:$missing"
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $missing >/dev/null
