#!/bin/sh
# A bounded smoke of the shipped 32-bit programs under 32-bit Wine: the unit tests built for
# 32-bit Windows, and one end-to-end case of each kind (load, save with rename, refusal box,
# field log dropped and saved, the English library). Where the kernel runs no 32-bit programs,
# 32-bit Wine runs through qemu-i386-static, registered in binfmt_misc for the smoke only (root).
# One wineserver is kept alive for the whole smoke, so that Wine's services start once.
# Usage: scripts/smoke-win32.sh [BUILD_DIR]   (default: build/win32 of the checkout, built)
# RVX_SMOKE_BUDGET: seconds for the whole smoke (default 1200); each step also has its own.
set -u
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="$(cd "${1:-$ROOT/build/win32}" && pwd)" || exit 1
RUN="$BUILD/wine-run.sh"
LOGS="$BUILD/smoke"
budget="${RVX_SMOKE_BUDGET:-1200}"

if [ ! -x "$RUN" ] || [ ! -f "$BUILD/app/RVXTOOL.exe" ]; then
    echo "smoke: $BUILD is not a built win32 build (no wine-run.sh or app/RVXTOOL.exe)" >&2
    exit 1
fi
# The end-to-end cases open windows: one virtual display for the whole smoke.
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1280x1024x24" sh "$0" "$BUILD"
fi

rm -rf "$LOGS" && mkdir -p "$LOGS"
. "$ROOT/scripts/binfmt-i386.sh"
server=""
finish() {
    [ -n "$server" ] && "$RUN" --wineserver -k >/dev/null 2>&1
    server=""
    binfmt_i386_release
}
trap 'finish' EXIT
trap 'echo "smoke: interrupted" >&2; exit 130' INT TERM

if ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
    if ! binfmt_i386_acquire 2>"$LOGS/binfmt.log"; then
        echo "smoke: FAILED: 32-bit Wine cannot run here and qemu-user could not be set up:" \
            "$(cat "$LOGS/binfmt.log")"
        exit 1
    fi
    if ! version="$(/usr/lib/wine/wine --version 2>&1)"; then
        echo "smoke: FAILED: 32-bit Wine does not run even through qemu-i386-static: $version"
        exit 1
    fi
    echo "smoke: 32-bit Wine ($version) runs through qemu-i386-static"
fi
started=$(date +%s)

# step NAME DEADLINE COMMAND...: runs COMMAND with at most DEADLINE seconds (less when the
# smoke's budget has less left) and its output in $LOGS/NAME.log. A run in which the emulator
# crashed is tried once more.
step() {
    name=$1 deadline=$2
    shift 2
    for attempt in 1 2; do
        left=$((budget - ($(date +%s) - started)))
        if [ $left -le 0 ]; then
            echo "smoke: FAILED: the ${budget}s budget ran out before $name"
            exit 1
        fi
        [ $left -lt "$deadline" ] && deadline=$left
        t0=$(date +%s)
        RVX_WINE_TIMEOUT=$deadline "$@" >"$LOGS/$name.log" 2>&1
        rc=$?
        secs=$(($(date +%s) - t0))
        if [ $rc -eq 0 ]; then
            echo "smoke: $name passed (${secs}s)"
            return 0
        fi
        # Programs the step left behind end with the server, and say by then if they crashed.
        "$RUN" --wineserver -k >/dev/null 2>&1
        [ -n "$server" ] && "$RUN" --wineserver -p >/dev/null 2>&1
        crash="$(grep -m1 -E 'qemu: uncaught target signal|QEMU internal SIG|qemu: unhandled|Segmentation fault' \
            "$LOGS/$name.log")"
        if [ -n "$crash" ] && [ $attempt -eq 1 ]; then
            echo "smoke: $name: the emulator crashed after ${secs}s ($crash); trying once more"
            continue
        fi
        if [ -n "$crash" ]; then
            echo "smoke: FAILED: $name: the emulator crashed again ($crash); see $LOGS/$name.log"
        elif [ $rc -eq 124 ] || [ $rc -eq 137 ]; then
            echo "smoke: FAILED: $name did not finish within ${deadline}s; see $LOGS/$name.log"
        else
            echo "smoke: FAILED: $name (exit status $rc after ${secs}s); its output:"
            tail -n 40 "$LOGS/$name.log"
        fi
        exit 1
    done
}

# The prefix is made as the suites make it, by a server of its own; then one server is kept for
# every step, and the first program starts Wine's services once.
make_prefix() {
    rm -rf "$BUILD/wineprefix"
    "$RUN" --init
}
step wine_prefix 600 make_prefix
"$RUN" --wineserver -p || {
    echo "smoke: FAILED: cannot start a wineserver for $BUILD/wineprefix"
    exit 1
}
server=yes
step rawfile_tests 180 "$RUN" "$BUILD/tests/rawfile_tests.exe"
step fieldlog_tests 180 "$RUN" "$BUILD/tests/fieldlog_tests.exe"
step rvxedit_unit_tests 180 "$RUN" "$BUILD/tests/rvxedit_unit_tests.exe"
# A dropped file loads and saves with a rename, failed loads and a taken name give their boxes.
step dialog_e2e 420 "$RUN" "$BUILD/tests/e2e/dialog_e2e_tests.exe" \
    --gtest_filter='DialogTest.DroppedAndImportedFilesLoadAndFailuresKeepThePreviousFile:SaveTest.RefusalRepeatsAndChangesNothing'
step field_log_e2e 300 "$RUN" "$BUILD/tests/e2e/field_log_e2e_tests.exe"
# The dialog in English from LangDll.dll beside the program, in Chinese without it.
step english_library 300 "$RUN" "$BUILD/tests/shell/shell_e2e_tests.exe" \
    --gtest_filter='Shell.LanguageFollowsTheValueAndOnlyTheLibraryBesideTheProgram'
echo "smoke: the 32-bit programs passed ($(($(date +%s) - started))s)"
