#!/bin/sh
# Builds rvxedit as a release program (no sanitizers, no tests) and packs the Debian package
# build/deb/rvxedit_<version>_<arch>.deb: /usr/bin/rvxedit and its manual page.
# Usage: scripts/package-deb.sh      (from anywhere; installs what the build needs)
set -eu
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
"$ROOT/scripts/install-deps.sh" deb
OUT="$ROOT/build/deb"
B="$OUT/release"
cmake -S "$ROOT" -B "$B" -G Ninja -DCMAKE_BUILD_TYPE=Release -DRVX_SANITIZE=OFF \
    -DRVX_TESTS=OFF >/dev/null
cmake --build "$B" -j "$(nproc)"
(cd "$B" && cpack -G DEB -B "$OUT" >/dev/null)
rm -rf "$OUT/_CPack_Packages"
version="$(sed -n 's/^project(RVXTOOL VERSION \([0-9.]*\).*/\1/p' "$ROOT/CMakeLists.txt")"
echo "$OUT/rvxedit_${version}_$(dpkg --print-architecture).deb"
