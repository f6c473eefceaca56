#!/usr/bin/env bash
# Runs the given installer in a scratch Wine prefix: the help text, an unattended
# installation, what it left on the machine, and its removal by the installed uninstaller.
# Exits non-zero when a run could not start, ended with an unexpected code, or left the
# machine in another state than it reported. QX_WINE_ARCH=win64 for the 64-bit twin.
set -uo pipefail
exe=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../tests/wine/env.sh"
work=$(mktemp -d "${TMPDIR:-/tmp}/qxdemo.XXXXXX")
export WINEPREFIX="$work/prefix" HOME="$work/home"
mkdir -p "$HOME"
trap 'wineserver -k >/dev/null 2>&1; rm -rf "$work"' EXIT
failures=0
fail() { echo "!! $*"; failures=$((failures + 1)); }
echo "== creating a scratch Wine prefix in $WINEPREFIX"
"$QX_WINE" wineboot -i >/dev/null 2>&1 || fail "Wine could not make a prefix"
run() {   # run <expected exit code> <program> <arguments...>
    local expected=$1 program=$2; shift 2
    echo
    echo "== ${program##*[/\\]} $*"
    "$QX_WINE" "$program" "$@" > "$work/out" 2> "$work/err"
    local rc=$?
    sed 's/\r$//' "$work/out"
    if [ -s "$work/err" ]; then echo "-- standard error:"; sed 's/\r$//' "$work/err"; fi
    echo "-- exit code $rc"
    [ "$rc" = "$expected" ] || fail "${program##*[/\\]} exited with $rc, not $expected"
}
folder='C:\Program Files\Arvendo Quarnelix'
dir="$WINEPREFIX/drive_c/Program Files/Arvendo Quarnelix"
key='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Quarnelix'
run 200 "$exe" -?
run 0 "$exe" "-installDir=$folder" -acceptEULA
echo
if [ -f "$dir/uninst.exe" ]; then
    echo "== installed files"; (cd "$dir" && ls -l)
    echo "== uninstall registration"
    "$QX_WINE" reg query "$key" 2>/dev/null | sed 's/\r$//'
    echo "== machine search path"
    "$QX_WINE" reg query 'HKLM\SYSTEM\CurrentControlSet\Control\Session Manager\Environment' /v PATH 2>/dev/null |
        sed 's/\r$//'
    run 0 "$folder\\uninst.exe" Quarnelix -unat
    echo
    if [ -e "$dir" ] || "$QX_WINE" reg query "$key" >/dev/null 2>&1; then
        fail "the uninstaller left the folder or the registration behind"
    else
        echo "== removed: the folder and the registration are gone"
    fi
else
    fail "nothing was installed"
fi
echo
if [ "$failures" = 0 ]; then echo "== demo finished: installed and removed"; else echo "== demo FAILED ($failures problems)"; fi
[ "$failures" = 0 ]
