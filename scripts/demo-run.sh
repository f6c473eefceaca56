#!/usr/bin/env bash
# Runs the given installer in a scratch Wine prefix: the help text, then an unattended
# installation, then what it left on the machine.
set -uo pipefail
exe=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../tests/wine/env.sh"
work=$(mktemp -d "${TMPDIR:-/tmp}/qxdemo.XXXXXX")
export WINEPREFIX="$work/prefix" HOME="$work/home"
mkdir -p "$HOME"
trap 'wineserver -k >/dev/null 2>&1; rm -rf "$work"' EXIT
echo "== creating a scratch Wine prefix in $WINEPREFIX"
wineboot -i >/dev/null 2>&1
run() {
    echo
    echo "== QuarnelixInstaller.exe $*"
    wine "$exe" "$@" > "$work/out" 2> "$work/err"
    local rc=$?
    sed 's/\r$//' "$work/out"
    if [ -s "$work/err" ]; then echo "-- standard error:"; sed 's/\r$//' "$work/err"; fi
    echo "-- exit code $rc"
}
run -?
run '-installDir=C:\Program Files\Arvendo Quarnelix' -acceptEULA
dir="$WINEPREFIX/drive_c/Program Files/Arvendo Quarnelix"
echo
if [ -d "$dir" ]; then
    echo "== installed files"; (cd "$dir" && ls -l)
    echo "== uninstall registration"
    wine reg query 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Quarnelix' 2>/dev/null | sed 's/\r$//'
    echo "== machine search path"
    wine reg query 'HKLM\SYSTEM\CurrentControlSet\Control\Session Manager\Environment' /v PATH 2>/dev/null | sed 's/\r$//'
else
    echo "== nothing was installed"
fi
