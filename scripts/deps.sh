#!/bin/sh
# Installs the Debian packages the build and the tests need, only those that are missing.
# Quiet when everything is already there.
exec "$(dirname "$0")/install-packages.sh" cmake make g++ g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 \
    g++-mingw-w64-i686-posix binutils-mingw-w64-i686 \
    wine wine64 fonts-wine xvfb doctest-dev clang libclang-rt-14-dev xdotool x11-utils imagemagick sox pulseaudio \
    pulseaudio-utils lame gstreamer1.0-plugins-base gstreamer1.0-plugins-good libxml2-utils
