# Sourced by the scripts that run the Windows programs under Wine; ROOT is the checkout.
# Wine runs the 32-bit programs that ship only where the kernel runs 32-bit executables (some
# virtual machines' kernels do not); elsewhere the same sources are built for 64-bit Windows.
# Sets WIN_ARCH (win32 or win64, also the name of the build folder) and WIN_TOOLCHAIN.
if /usr/lib/wine/wine --version >/dev/null 2>&1; then
    WIN_ARCH=win32
    WIN_TOOLCHAIN="$ROOT/cmake/mingw-i686.cmake"
else
    WIN_ARCH=win64
    WIN_TOOLCHAIN="$ROOT/cmake/mingw-x86_64.cmake"
fi
