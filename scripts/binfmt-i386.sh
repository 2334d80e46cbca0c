# Sourced by the scripts that run 32-bit Linux programs (32-bit Wine) through qemu-user on
# kernels that cannot run them. The kernel's binfmt_misc hands every 32-bit x86 ELF program to
# qemu-i386 while the handler is registered. Where the kernel gives each user namespace a
# binfmt_misc of its own (Linux 6.7 and later) the handler is registered only there, for the
# programs started inside, and the rest of the machine never sees it; elsewhere it is registered
# system-wide for as long as it is needed and removed again.
#   binfmt_i386_emulated     true when an enabled handler sends 32-bit x86 programs to an emulator
#   qemu_i386_select DIR     sets BINFMT_QEMU to a qemu-i386 fit for Wine, fetching one into DIR
#   binfmt_i386_private_exec CMD...  runs CMD in a user and mount namespace with the handler
#                                    registered in its own binfmt_misc; false if it cannot be had
#   binfmt_i386_acquire      registers the handler system-wide unless one is there (root)
#   binfmt_i386_release      removes the handler and the mount acquire made; safe to call again

BINFMT_DIR=/proc/sys/fs/binfmt_misc
BINFMT_NAME=rvxtool-qemu-i386
# The ELF header of a 32-bit little-endian x86 executable or shared object, and its mask.
BINFMT_MAGIC='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
BINFMT_MASK='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
# P: the program keeps the argv[0] it was started with; O: the kernel opens the program for the
# emulator; F: the kernel opens the emulator at registration, so it is found in every mount
# namespace. These are the flags Debian's own qemu-user registrations use.
BINFMT_FLAGS=POF
BINFMT_QEMU="${BINFMT_QEMU:-/usr/bin/qemu-i386-static}"
binfmt_registered=""
binfmt_mounted=""

binfmt_i386_emulated() {
    [ -d "$BINFMT_DIR" ] || return 1
    for entry in "$BINFMT_DIR"/*; do
        case "${entry##*/}" in register | status) continue ;; esac
        [ -f "$entry" ] || continue
        if grep -qx enabled "$entry" 2>/dev/null &&
            grep -q '^magic 7f454c4601010100000000000000000002000300' "$entry" 2>/dev/null; then
            return 0
        fi
    done
    return 1
}

binfmt_i386_line() {
    printf '%s\n' ":$BINFMT_NAME:M::$BINFMT_MAGIC:$BINFMT_MASK:$BINFMT_QEMU:$BINFMT_FLAGS"
}

# The major and minor version of the qemu-i386 at $1, as "MAJOR MINOR"; nothing if it does not run.
qemu_i386_version() {
    "$1" --version 2>/dev/null | sed -n '1s/^qemu-i386 version \([0-9]*\)\.\([0-9]*\).*/\1 \2/p'
}

# Before 8.1 qemu-user looked for free guest memory page by page. 32-bit Wine reserves most of
# its address space at the start of every process, after which each mapping costs milliseconds:
# a process then takes about a minute to start, and making a prefix overruns the five minutes
# Wine waits for it (its first program then fails with "could not load kernel32.dll").
# Debian 12 ships 7.2; its backports have a current one, which is fetched (with apt, checked
# against the signed archive index) and unpacked into DIR without installing anything.
qemu_i386_select() {
    dir=$1
    for candidate in /usr/bin/qemu-i386-static /usr/bin/qemu-i386 "$dir/qemu-i386"; do
        [ -x "$candidate" ] || continue
        set -- $(qemu_i386_version "$candidate")
        if [ $# -eq 2 ] && { [ "$1" -gt 8 ] || { [ "$1" -eq 8 ] && [ "$2" -ge 1 ]; }; }; then
            BINFMT_QEMU=$candidate
            return 0
        fi
    done
    codename="$(. /etc/os-release 2>/dev/null && echo "${VERSION_CODENAME:-}")"
    if [ -z "$codename" ]; then
        echo "no qemu-i386 of version 8.1 or later, and no Debian release to fetch one from" >&2
        return 1
    fi
    apt="$dir/apt"
    rm -rf "$dir" && mkdir -p "$apt/lists/partial" "$apt/cache/archives/partial" || return 1
    echo "deb http://deb.debian.org/debian $codename-backports main" >"$apt/sources.list"
    set -- -o Dir::Etc::SourceList="$apt/sources.list" -o Dir::Etc::SourceParts=/dev/null \
        -o Dir::State::Lists="$apt/lists" -o Dir::Cache="$apt/cache" -o APT::Sandbox::User=root
    if ! apt-get "$@" -qq update >"$apt/log" 2>&1 ||
        ! (cd "$apt" && apt-get "$@" -qq download "qemu-user/$codename-backports") \
            >>"$apt/log" 2>&1 ||
        ! dpkg-deb -x "$apt"/qemu-user_*.deb "$apt/x" 2>>"$apt/log" ||
        ! mv "$apt/x/usr/bin/qemu-i386" "$dir/qemu-i386" ||
        [ -z "$(qemu_i386_version "$dir/qemu-i386")" ]; then
        echo "could not fetch qemu-user from $codename-backports: $(tail -n 3 "$apt/log")" >&2
        return 1
    fi
    rm -rf "$apt"
    BINFMT_QEMU="$dir/qemu-i386"
}

binfmt_i386_private_exec() {
    unshare --user --map-root-user --mount sh -c '
        mount -t binfmt_misc binfmt_misc "$1" && printf "%s\n" "$2" >"$1/register" || exit 125
        shift 2
        exec "$@"' sh "$BINFMT_DIR" "$(binfmt_i386_line)" "$@"
}

binfmt_i386_acquire() {
    if [ ! -e "$BINFMT_DIR/register" ]; then
        if ! mount -t binfmt_misc binfmt_misc "$BINFMT_DIR" 2>/dev/null; then
            echo "cannot mount binfmt_misc on $BINFMT_DIR (needs root)" >&2
            return 1
        fi
        binfmt_mounted=yes
    fi
    binfmt_i386_emulated && return 0
    if [ ! -x "$BINFMT_QEMU" ]; then
        echo "$BINFMT_QEMU is missing (Debian package qemu-user-static)" >&2
        return 1
    fi
    if ! binfmt_i386_line >"$BINFMT_DIR/register" 2>/dev/null; then
        echo "cannot register qemu-i386 in binfmt_misc (needs root)" >&2
        return 1
    fi
    binfmt_registered=yes
}

binfmt_i386_release() {
    if [ -n "$binfmt_registered" ]; then
        echo -1 >"$BINFMT_DIR/$BINFMT_NAME" 2>/dev/null ||
            echo "could not remove the binfmt_misc handler $BINFMT_DIR/$BINFMT_NAME" >&2
        binfmt_registered=""
    fi
    if [ -n "$binfmt_mounted" ]; then
        umount "$BINFMT_DIR" 2>/dev/null || echo "could not unmount $BINFMT_DIR" >&2
        binfmt_mounted=""
    fi
}
