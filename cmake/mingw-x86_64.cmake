# Cross-compiling for 64-bit Windows with Debian's MinGW-w64. Only for the tests: where the kernel
# cannot run 32-bit programs, scripts/test.sh runs the suites under Wine from this build; what
# ships stays 32-bit.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TOOLCHAIN_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
