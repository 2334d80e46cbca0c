# Sourced by the scripts that run 32-bit Linux programs (32-bit Wine) through qemu-user on
# kernels that cannot run them. The kernel's binfmt_misc hands every 32-bit x86 ELF program to
# qemu-i386-static while the handler is registered; these functions register it only for as
# long as it is needed and remove only what they registered themselves.
#   binfmt_i386_emulated   true when an enabled handler sends 32-bit x86 programs to an emulator
#   binfmt_i386_acquire    registers the handler unless one is there (root); false with a reason
#   binfmt_i386_release    removes the handler and the mount acquire made; safe to call again

BINFMT_DIR=/proc/sys/fs/binfmt_misc
BINFMT_NAME=rvxtool-qemu-i386
# The ELF header of a 32-bit little-endian x86 executable or shared object, and its mask.
BINFMT_MAGIC='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
BINFMT_MASK='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
BINFMT_QEMU=/usr/bin/qemu-i386-static
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
    # F: the kernel opens the emulator now, so it is found in every mount namespace.
    if ! printf '%s\n' ":$BINFMT_NAME:M::$BINFMT_MAGIC:$BINFMT_MASK:$BINFMT_QEMU:F" \
        >"$BINFMT_DIR/register" 2>/dev/null; then
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
