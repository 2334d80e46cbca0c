#!/bin/sh
# Installs the .msi under Wine as IT would (silently, per user and per machine, over an older
# version), checks what each step left, and removes it again.
# Usage: msi_test.sh <wine-run.sh> <prefix> <new.msi> <older.msi> <msi_e2e_tests.exe> <version>
set -u
run="$1" prefix="$2" msi="$3" older="$4" tests="$5" version="$6"

fail() { echo "msi test: $*" >&2; wineserver -k >/dev/null 2>&1; exit 1; }
export WINEPREFIX="$prefix" WINEDEBUG=-all
export RVX_EXPECTED_VERSION="$version"
log="$(dirname "$msi")/msi-test.log"
: >"$log"

# One wineserver for the whole test, so that Wine's services start once.
wineserver -p 60 || fail "cannot start wineserver"

msiexec() {
    echo "msiexec $*" >>"$log"
    "$run" msiexec "$@" /qn >>"$log" 2>&1
}
check() {
    echo "check $1 ($RVX_INSTALL_SCOPE)" >>"$log"
    "$run" "$tests" --gtest_filter="Installed.$1" >>"$log" 2>&1 || {
        cat "$log"
        fail "$1 failed for a $RVX_INSTALL_SCOPE install"
    }
}
installed_files() {
    find "$prefix/drive_c" -path '*/RVXTOOL/RVXTOOL.exe' -o -name 'RVXTOOL.lnk'
}

# Whatever an earlier run left.
msiexec /x "$msi"
msiexec /x "$older"
[ -z "$(installed_files)" ] || fail "files of an earlier install remain: $(installed_files)"

# The per-machine round comes first, before the program ever ran and wrote its own keys.
# Wine's installer leaves the per-user choice to ALLUSERS alone (it runs as an administrator and
# has no MSIINSTALLPERUSER), so the per-user install is asked for with an empty ALLUSERS; on
# Windows the package's own ALLUSERS=2 MSIINSTALLPERUSER=1 does it.
for scope in machine user; do
    export RVX_INSTALL_SCOPE=$scope
    # The per-user round opens a raw file with the installed program; the per-machine one leaves
    # the program unstarted, so that every key the package wrote can be seen to go.
    if [ $scope = user ]; then
        allusers='ALLUSERS='
        export RVX_OPEN_RAW_FILE=1
    else
        allusers='ALLUSERS=1'
        export RVX_OPEN_RAW_FILE=0
    fi
    msiexec /i "$older" "$allusers" || fail "the older package did not install ($scope)"
    msiexec /i "$msi" "$allusers" || fail "the package did not install over the older ($scope)"
    [ -n "$(installed_files)" ] || fail "the install put no files down ($scope)"
    check OneVersionWithItsFileTypeOpensRawFiles
    msiexec /x "$msi" || fail "the package did not uninstall ($scope)"
    check RemovalLeavesNothingOfThePackage
    [ -z "$(installed_files)" ] || fail "files remain after uninstalling ($scope): $(installed_files)"
done
wineserver -k >/dev/null 2>&1
echo "msi test: per-user and per-machine installs, upgrade and removal passed"
