#!/bin/sh
# Installs every Debian package the builds and tests need. Safe to run again:
# it does nothing when everything is already there.
set -eu

PKGS="cmake ninja-build g++ clang libclang-rt-14-dev googletest \
g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686 \
wine wine32:i386 xvfb xauth x11-utils imagemagick fonts-wqy-microhei \
zip unzip file python3 clang-format fonts-wine"

missing=""
for p in $PKGS; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed"; then
        missing="$missing $p"
    fi
done
[ -z "$missing" ] && exit 0

if [ "$(id -u)" != 0 ]; then
    echo "install-deps: missing packages:$missing; run as root" >&2
    exit 1
fi
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends $missing
