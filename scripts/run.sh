#!/bin/sh
# Builds the Windows program and starts it under Wine on a copy of the sample raw file.
# Without a display it runs under Xvfb, saves a screenshot and says where.
set -eu
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
"$ROOT/scripts/install-deps.sh"
. "$ROOT/scripts/windows-build.sh"
if [ "$WIN_ARCH" = win64 ]; then
    echo "This kernel cannot run 32-bit programs: starting a 64-bit build of the editor instead."
fi
B="$ROOT/build/$WIN_ARCH"
cmake -S "$ROOT" -B "$B" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$WIN_TOOLCHAIN" >/dev/null
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
