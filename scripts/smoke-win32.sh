#!/bin/sh
# A bounded smoke of the shipped 32-bit programs under 32-bit Wine: the unit tests built for
# 32-bit Windows, one end-to-end case of each kind (load, save with rename, refusal box, field
# log dropped and saved, the English library), the zip in a fresh prefix and the .msi. Where
# the kernel runs no 32-bit programs, 32-bit Wine runs through qemu-i386, registered in
# binfmt_misc for the smoke only: in a user namespace of its own where the kernel allows it,
# else system-wide for the run (root).
# One wineserver is kept alive for the whole smoke, so that Wine's services start once.
# Usage: scripts/smoke-win32.sh [BUILD_DIR]   (default: build/win32 of the checkout, built)
# RVX_SMOKE_BUDGET: seconds for the whole smoke (default 900); each step also has its own.
set -u
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="$(cd "${1:-$ROOT/build/win32}" && pwd)" || exit 1
RUN="$BUILD/wine-run.sh"
LOGS="$BUILD/smoke"
budget="${RVX_SMOKE_BUDGET:-900}"

if [ ! -x "$RUN" ] || [ ! -f "$BUILD/app/RVXTOOL.exe" ]; then
    echo "smoke: $BUILD is not a built win32 build (no wine-run.sh or app/RVXTOOL.exe)" >&2
    exit 1
fi
# The end-to-end cases open windows: one virtual display for the whole smoke.
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1280x1024x24" sh "$0" "$BUILD"
fi

. "$ROOT/scripts/binfmt-i386.sh"
if [ -z "${RVX_SMOKE_EMULATED:-}" ]; then
    rm -rf "$LOGS" && mkdir -p "$LOGS"
fi
server=""
finish() {
    [ -n "$server" ] && "$RUN" --wineserver -k >/dev/null 2>&1
    server=""
    binfmt_i386_release
}
trap 'finish' EXIT
trap 'echo "smoke: interrupted" >&2; exit 130' INT TERM

if [ -z "${RVX_SMOKE_EMULATED:-}" ] && ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
    if ! binfmt_i386_emulated; then
        if ! qemu_i386_select "$ROOT/build/qemu-user" 2>"$LOGS/qemu.log"; then
            echo "smoke: note: $(cat "$LOGS/qemu.log"); trying $BINFMT_QEMU (a qemu before 8.1" \
                "takes about a minute to start each Wine process)"
        fi
        # Inside a namespace of its own the handler is seen by the smoke's programs only, and
        # goes with them.
        if binfmt_i386_private_exec /usr/lib/wine/wine --version >/dev/null 2>&1; then
            echo "smoke: 32-bit Wine runs through $BINFMT_QEMU ($(qemu_i386_version "$BINFMT_QEMU" |
                tr ' ' .)), registered in a binfmt_misc of the smoke's own"
            trap - EXIT
            export RVX_SMOKE_EMULATED=private
            binfmt_i386_private_exec sh "$0" "$BUILD"
            exit $?
        fi
    fi
    if ! binfmt_i386_acquire 2>"$LOGS/binfmt.log"; then
        echo "smoke: FAILED: 32-bit Wine cannot run here and qemu-user could not be set up:" \
            "$(cat "$LOGS/binfmt.log")"
        exit 1
    fi
    if ! version="$(/usr/lib/wine/wine --version 2>&1)"; then
        echo "smoke: FAILED: 32-bit Wine does not run even through $BINFMT_QEMU: $version"
        exit 1
    fi
    echo "smoke: 32-bit Wine ($version) runs through the binfmt_misc handler of the system"
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

# The smoke's one server is started on a new, empty prefix and kept: the first program makes the
# prefix and starts Wine's services, which then serve every step.
make_prefix() {
    "$RUN" --wineserver -k >/dev/null 2>&1
    rm -rf "$BUILD/wineprefix" && mkdir -p "$BUILD/wineprefix" &&
        "$RUN" --wineserver -p && "$RUN" wineboot.exe -i
}
server=yes
step wine_prefix 300 make_prefix
step rawfile_tests 180 "$RUN" "$BUILD/tests/rawfile_tests.exe"
step fieldlog_tests 180 "$RUN" "$BUILD/tests/fieldlog_tests.exe"
step rvxedit_unit_tests 180 "$RUN" "$BUILD/tests/rvxedit_unit_tests.exe"
# A dropped file loads and saves with a rename, failed loads and a taken name give their boxes.
step dialog_e2e 420 "$RUN" "$BUILD/tests/e2e/dialog_e2e_tests.exe" \
    --gtest_filter='DialogTest.DroppedAndImportedFilesLoadAndFailuresKeepThePreviousFile:SaveTest.RefusalRepeatsAndChangesNothing'
# A field log dropped, a refused row, and the corrected log saved. (The cases that time the log
# window's answers stay with the suites: under emulation they would time the emulator.)
step field_log_e2e 300 "$RUN" "$BUILD/tests/e2e/field_log_e2e_tests.exe" \
    --gtest_filter='FieldLogTest.RefusedRowSavesNothingAndTheCorrectedLogSavesAllAndUndoes'
# The dialog in English from LangDll.dll beside the program, in Chinese without it.
step english_library 300 "$RUN" "$BUILD/tests/shell/shell_e2e_tests.exe" \
    --gtest_filter='Shell.LanguageFollowsTheValueAndOnlyTheLibraryBesideTheProgram'
# What ships, as it ships: the zip unpacked into a brand-new prefix (with a server of its own),
# and the .msi installed, upgraded, used and removed. The installer's test keeps a server of its
# own for its whole run, so the smoke's ends before it. (Their ctest fixture is left out: it
# would wait for the kept server to end.)
step package 300 ctest --test-dir "$BUILD" -FA wine --no-tests=error --output-on-failure \
    -R '^package_runs_in_fresh_prefix$'
"$RUN" --wineserver -k >/dev/null 2>&1
"$RUN" --wineserver -w >/dev/null 2>&1
server=""
step msi 300 ctest --test-dir "$BUILD" -FA wine --no-tests=error --output-on-failure \
    -R '^msi_install_upgrade_remove$'
echo "smoke: the 32-bit programs passed ($(($(date +%s) - started))s)"
