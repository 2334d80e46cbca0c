#!/bin/sh
# Builds the Windows program and starts it under Wine on a copy of the sample raw file.
# Without a display it runs under Xvfb, saves a screenshot and says where.
set -eu
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
"$ROOT/scripts/install-deps.sh"
B="$ROOT/build/win32"
TOOLCHAIN="$ROOT/cmake/mingw-i686.cmake"
# Where the kernel cannot run 32-bit programs, Wine runs the same sources built for 64 bits.
if ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
    echo "This kernel cannot run 32-bit programs: starting a 64-bit build of the editor instead."
    B="$ROOT/build/win64"
    TOOLCHAIN="$ROOT/cmake/mingw-x86_64.cmake"
fi
cmake -S "$ROOT" -B "$B" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" >/dev/null
cmake --build "$B" -j "$(nproc)"
"$B/wine-run.sh" --init

# Work on a copy: the sample in the repository stays as it is.
WORK="$B/try"
mkdir -p "$WORK"
[ -f "$WORK/ABCD0861.RVX" ] || cp "$ROOT/samples/ABCD0861.RVX" "$WORK/"

if [ -n "${DISPLAY:-}" ]; then
    RVX_WINE_TIMEOUT=86400 "$B/wine-run.sh" "$B/app/RVXTOOL.exe" \
        "$(echo "Z:$WORK/ABCD0861.RVX" | sed 's|/|\\|g')"
else
    OUT="$B/screenshot.png"
    xvfb-run -a -s "-screen 0 1024x768x24" "$ROOT/scripts/screenshot.sh" "$B" "$WORK/ABCD0861.RVX" "$OUT"
    echo "No display: the editor ran under Xvfb; its screenshot is $OUT"
fi
