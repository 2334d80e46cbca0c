#!/bin/sh
# Installs what is missing, builds both builds and runs every test suite.
# Usage: scripts/test.sh            (from anywhere; builds into build/ of the checkout)
set -eu
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
"$ROOT/scripts/install-deps.sh"

JOBS="$(nproc)"
status=0

echo "== Debian package of rvxedit (release build; checked by the native tests)"
"$ROOT/scripts/package-deb.sh" || status=1

echo "== native build (AddressSanitizer + UBSan)"
cmake -S "$ROOT" -B "$ROOT/build/native" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DRVX_SANITIZE=ON >/dev/null
cmake --build "$ROOT/build/native" -j "$JOBS"
(cd "$ROOT/build/native" && ctest --output-on-failure -j "$JOBS") || status=1

echo "== win32 build (MinGW-w64 i686, tests under Wine)"
cmake -S "$ROOT" -B "$ROOT/build/win32" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-i686.cmake" >/dev/null
cmake --build "$ROOT/build/win32" -j "$JOBS"
# Where Wine cannot run the 32-bit programs, every suite runs under 64-bit Wine from a 64-bit
# build, less the checks of the 32-bit files themselves.
. "$ROOT/scripts/windows-build.sh"
if [ "$WIN_ARCH" = win32 ]; then
    # One virtual display for every windowed test.
    (cd "$ROOT/build/win32" &&
        xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure --timeout 600) || status=1
else
    echo "== this kernel cannot run 32-bit programs: the win32 build's own checks, then the" \
        "suites under 64-bit Wine from a 64-bit build of the same sources"
    (cd "$ROOT/build/win32" && ctest -R '_imports|lang_library' --output-on-failure) || status=1
    cmake -S "$ROOT" -B "$ROOT/build/win64" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$WIN_TOOLCHAIN" >/dev/null
    cmake --build "$ROOT/build/win64" -j "$JOBS"
    (cd "$ROOT/build/win64" &&
        xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure --timeout 600 \
            -E '_imports|lang_library|package_runs_in_fresh_prefix') || status=1

    # The shipped 32-bit programs through qemu-user, which the smoke registers for itself and
    # removes again (also when it fails or is interrupted). RVX_SMOKE_WIN32=0 leaves it out.
    if [ "${RVX_SMOKE_WIN32:-1}" != 0 ]; then
        echo "== the shipped 32-bit programs: a bounded smoke under 32-bit Wine through qemu-user"
        "$ROOT/scripts/smoke-win32.sh" "$ROOT/build/win32" || status=1
    else
        echo "== not run: the 32-bit smoke through qemu-user (RVX_SMOKE_WIN32=0)"
    fi
fi

echo "== fuzz targets (clang, libFuzzer + AddressSanitizer + UBSan, 60 s each)"
"$ROOT/scripts/fuzz.sh" 60 "$ROOT/build/fuzz" || status=1

if [ $status -eq 0 ]; then echo "== all test suites passed"; else echo "== some tests FAILED"; fi
exit $status
