# Sourced by the scripts that run the Windows programs under Wine; ROOT is the checkout.
# Wine runs the 32-bit programs that ship only where the kernel runs 32-bit executables (some
# virtual machines' kernels do not); elsewhere the same sources are built for 64-bit Windows.
# A 32-bit Wine that runs only through an emulator registered in binfmt_misc (as the 32-bit
# smoke registers one for its run) is far too slow for the full suites, and counts as not running.
# Sets WIN_ARCH (win32 or win64, also the name of the build folder) and WIN_TOOLCHAIN.
. "$ROOT/scripts/binfmt-i386.sh"
if /usr/lib/wine/wine --version >/dev/null 2>&1 && ! binfmt_i386_emulated; then
    WIN_ARCH=win32
    WIN_TOOLCHAIN="$ROOT/cmake/mingw-i686.cmake"
else
    WIN_ARCH=win64
    WIN_TOOLCHAIN="$ROOT/cmake/mingw-x86_64.cmake"
fi
