#!/bin/sh
# Installs every Debian package the builds and tests need. Safe to run again:
# it does nothing when everything is already there.
# Usage: scripts/install-deps.sh [deb]    (deb: only what scripts/package-deb.sh needs)
set -eu

# dpkg-dev finds the Debian package's library dependencies; man-db checks its manual page and
# lintian the package. procps gives bench.sh free. libuchardet-dev is the detector of a log's
# character set. wixl and msitools build the .msi. qemu-user-static is the fallback emulator of
# the 32-bit smoke where the kernel runs no 32-bit programs (the smoke fetches a newer qemu-i386
# for itself where this one is too old; see scripts/binfmt-i386.sh).
DEB_PKGS="cmake ninja-build g++ dpkg-dev gzip pkg-config libuchardet-dev"
PKGS="$DEB_PKGS clang libclang-rt-14-dev googletest \
g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686 \
g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 \
wine wine32:i386 wine64 xvfb xauth x11-utils imagemagick fonts-wqy-microhei \
zip unzip file python3 clang-format fonts-wine man-db lintian procps wixl msitools \
qemu-user-static"
if [ "${1:-}" = deb ]; then
    PKGS="$DEB_PKGS"
fi

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
case "$missing" in
*:i386*)
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        dpkg --add-architecture i386
    fi
    ;;
esac
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends $missing
