#!/bin/sh
# Builds the benchmark program natively and for Windows, runs both (the Windows one under Wine)
# and prints the figures with a description of the machine, then the ratios, one a line.
# Usage: scripts/bench.sh [scratch folder on a real disk, default build/bench-scratch]
# The scratch folder needs about 1.3 GiB free (the huge file of 1 GiB is the most at once; the
# dry runs' files take about 400 MiB each); the files are removed afterwards.
set -eu
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
SCRATCH="${1:-$ROOT/build/bench-scratch}"
"$ROOT/scripts/install-deps.sh"

mkdir -p "$SCRATCH"
SCRATCH="$(cd "$SCRATCH" && pwd)"
trap 'rm -rf "$SCRATCH"' EXIT
free_kib="$(df -Pk "$SCRATCH" | awk 'NR == 2 { print $4 }')"
if [ "$free_kib" -lt 1400000 ]; then
    echo "bench: $SCRATCH has only ${free_kib} KiB free; 1.3 GiB are needed" >&2
    exit 1
fi

echo "== machine"
echo "cpus: $(nproc), $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')"
echo "memory: $(free -h | awk '/^Mem:/ { print $2 }')"
echo "scratch: $SCRATCH on $(df -PT "$SCRATCH" | awk 'NR == 2 { print $1 " (" $2 ")" }')"
echo "wine: $(wine --version 2>/dev/null || echo none)"

echo "== native (g++, optimised, no sanitizers)"
cmake -S "$ROOT" -B "$ROOT/build/bench" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DRVX_SANITIZE=OFF >/dev/null
cmake --build "$ROOT/build/bench" --target rvx_bench rvxedit >/dev/null
"$ROOT/build/bench/bench/rvx_bench" "$SCRATCH" 256 1024 "$ROOT/build/bench/cli/rvxedit" \
    >"$ROOT/build/bench/bench.out" \
    || { cat "$ROOT/build/bench/bench.out"; exit 1; }
grep -v '^ratio ' "$ROOT/build/bench/bench.out"

. "$ROOT/scripts/windows-build.sh"
if [ "$WIN_ARCH" = win32 ]; then
    echo "== win32 (MinGW-w64 i686, optimised) under Wine"
else
    echo "== win64 (MinGW-w64 x86_64, optimised) under 64-bit Wine: this kernel runs no 32-bit programs"
fi
W="$ROOT/build/bench-$WIN_ARCH"
cmake -S "$ROOT" -B "$W" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$WIN_TOOLCHAIN" >/dev/null
cmake --build "$W" --target rvx_bench start_bench logwindow_bench >/dev/null
"$W/wine-run.sh" --init
# Wine's background services must not inherit a pipe: the output goes to a file first.
RVX_WINE_TIMEOUT=900 "$W/wine-run.sh" "$W/bench/rvx_bench.exe" "Z:$SCRATCH" \
    >"$W/bench.out" 2>&1 || { cat "$W/bench.out"; exit 1; }
WINEPREFIX="$W/wineprefix" wineserver -w
tr -d '\r' <"$W/bench.out" | grep -v '^ratio '

# The start-up figure needs a display; the program starts on the sample raw file.
cp "$ROOT/samples/ABCD0861.RVX" "$SCRATCH/"
RVX_WINE_TIMEOUT=900 xvfb-run -a -s "-screen 0 1280x1024x24" "$W/wine-run.sh" \
    "$W/bench/start_bench.exe" \
    "Z:$W/app/RVXTOOL.exe" "Z:$W/bench/min_dialog.exe" "Z:$SCRATCH/ABCD0861.RVX" \
    >"$W/start.out" 2>&1 || { cat "$W/start.out"; exit 1; }
WINEPREFIX="$W/wineprefix" wineserver -w
grep -v -e '^X connection' -e '^ratio ' "$W/start.out" | tr -d '\r'

# The field-log window: a 1,000-row log dropped on the editor, against rvxedit's dry run.
RVX_WINE_TIMEOUT=900 xvfb-run -a -s "-screen 0 1280x1024x24" "$W/wine-run.sh" \
    "$W/bench/logwindow_bench.exe" \
    "Z:$W/app/RVXTOOL.exe" "Z:$W/cli/rvxedit.exe" "Z:$SCRATCH" \
    >"$W/logwindow.out" 2>&1 || { cat "$W/logwindow.out"; exit 1; }
WINEPREFIX="$W/wineprefix" wineserver -w
grep -v -e '^X connection' -e '^ratio ' "$W/logwindow.out" | tr -d '\r'

# The ratios of both runs, named for where they ran ("load-cache-text" natively becomes
# "load-cache-native-text"), in a fixed order.
named() {
    tr -d '\r' <"$1" | sed -n -E -e "s/^ratio (memory-100k) /ratio \1 /p" \
        -e "s/^ratio (load-[a-z]+|save-durable|batch-durable|dryrun|save|start)(-[a-z]+)? /ratio \1-$2\2 /p"
}
{
    named "$ROOT/build/bench/bench.out" native
    named "$W/bench.out" wine
    named "$W/start.out" wine
    tr -d '\r' <"$W/start.out" | sed -n 's/^ratio start-own /ratio start-own-wine /p'
    tr -d '\r' <"$W/logwindow.out" | sed -n 's/^ratio logwindow /ratio logwindow-wine /p'
} >"$W/ratios.out"
echo "== summary"
for name in load-cache-native-text load-cache-native-binary load-disk-native-text \
    load-cache-wine-text load-cache-wine-binary save-native save-wine start-wine \
    start-own-wine logwindow-wine \
    save-durable-native batch-durable-native dryrun-native memory-100k; do
    grep "^ratio $name " "$W/ratios.out" || echo "ratio $name missing"
done
