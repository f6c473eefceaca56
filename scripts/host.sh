# Sourced by the scripts: which kind of host this is, and how Wine runs on it.
#
# Some kernels run no 32-bit x86 code at all (the i386 Wine loader cannot start there), and
# nothing tells in advance which kind a machine is, so we ask by executing a tiny i386
# program. Where it cannot run, the tests and the demo use the 64-bit twin of the installer
# (dist-x64/, built from the same sources, never released) under 64-bit Wine.
#
#   QX_NO_I386=1    takes the no-32-bit path on any host, so that it can be kept green.
#
# qx_host sets QX_HOST_I386 (1 or 0) and prints one line saying which kind it found; the
# answer is exported, so scripts started from here neither ask nor say it again.
# qx_isolated_binfmt CMD... runs CMD where no emulated i386 handler can be used;
# qx_isolate_script "$0" "$@" re-runs the calling script that way, once.

qx_probe_i386() {
    # exit(42) as a static i386 ELF program: 42 means the kernel really ran it.
    local probe rc
    probe=$(mktemp "${TMPDIR:-/tmp}/qxi386.XXXXXX") || return 1
    printf '\177\105\114\106\001\001\001\000\000\000\000\000\000\000\000\000\002\000\003\000\001\000\000\000\124\200\004\010\064\000\000\000\000\000\000\000\000\000\000\000\064\000\040\000\001\000\000\000\000\000\000\000\001\000\000\000\000\000\000\000\000\200\004\010\000\200\004\010\140\000\000\000\140\000\000\000\005\000\000\000\000\020\000\000\270\001\000\000\000\273\052\000\000\000\315\200' > "$probe"
    chmod +x "$probe"
    # An emulator registered for i386 in binfmt_misc would answer too, slowly: ask where
    # none is registered when we can.
    qx_isolated_binfmt "$probe" 2>/dev/null
    rc=$?
    rm -f "$probe"
    [ "$rc" = 42 ]
}

qx_host() {
    if [ -z "${QX_HOST_I386:-}" ]; then
        if [ "${QX_NO_I386:-0}" = 1 ]; then
            QX_HOST_I386=0 QX_HOST_WHY="QX_NO_I386=1 asks for the no-32-bit path"
        elif qx_probe_i386; then
            QX_HOST_I386=1 QX_HOST_WHY="a 32-bit x86 program ran"
        else
            QX_HOST_I386=0 QX_HOST_WHY="a 32-bit x86 program could not be executed"
        fi
        export QX_HOST_I386 QX_HOST_WHY
    fi
    [ -z "${QX_HOST_SAID:-}" ] || return 0   # a script further up said it already
    export QX_HOST_SAID=1
    if [ "$QX_HOST_I386" = 1 ]; then
        echo "host: runs 32-bit x86 code ($QX_HOST_WHY): the 32-bit installer runs under 32-bit Wine" >&2
    else
        echo "host: no 32-bit x86 code ($QX_HOST_WHY): the 64-bit twin (dist-x64) runs under 64-bit Wine" >&2
    fi
}

# Linux 6.7 and later give a user namespace a binfmt_misc table of its own, empty; the
# machine-wide one is never touched. Elsewhere, run as is: without a registered handler an
# i386 exec fails at once, which is what 64-bit Wine needs to skip its 32-bit half.
qx_isolated_binfmt() {
    if unshare --user --map-root-user --mount --fork \
           sh -c 'mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc' 2>/dev/null; then
        unshare --user --map-root-user --mount --fork \
            sh -c 'mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc && exec "$@"' qx "$@"
    else
        "$@"
    fi
}

qx_isolate_script() {
    [ -z "${QX_IN_ISOLATED_BINFMT:-}" ] || return 0
    QX_IN_ISOLATED_BINFMT=1 qx_isolated_binfmt "$@"
    exit
}
