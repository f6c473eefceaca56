#!/usr/bin/env bash
# Takes screenshots of the interactive installer under a private X server, in a scratch
# Wine prefix: the dialog as it opens, with the agreement ticked, the package-contents
# window, and the completion box. Needs a built tree (scripts/build.sh).
# Usage: scripts/screenshots.sh [output folder]   (default: build/screenshots)
set -uo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
out=$(realpath -m "${1:-$src/build/screenshots}")
. "$src/scripts/host.sh"
qx_host
if [ "$QX_HOST_I386" = 1 ]; then
    helpers=$src/build/win/e2e-helpers exe=$src/dist/QuarnelixInstaller.exe
else   # the twin looks the same; its 32-bit original cannot run here
    helpers=$src/build/win64/e2e-helpers exe=$src/dist-x64/QuarnelixInstaller.exe
    export QX_WINE_ARCH=win64
    qx_isolate_script "$0" "$@"
fi
. "$src/tests/wine/env.sh"
mkdir -p "$out"
work=$(mktemp -d "${TMPDIR:-/tmp}/qxshots.XXXXXX")
export WINEPREFIX="$work/prefix" HOME="$work/home"
mkdir -p "$HOME"
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1024x768x24 >/dev/null 2>&1 &
xvfb=$!
trap 'wineserver -k >/dev/null 2>&1; kill $xvfb 2>/dev/null; rm -rf "$work"' EXIT
export DISPLAY=$display
"$QX_WINE" wineboot -i >/dev/null 2>&1
shot() { import -window root "$out/$1"; echo "$out/$1"; }
drive() { "$QX_WINE" "$helpers/dialogdrive.exe" "$@" >/dev/null; }

"$QX_WINE" "$exe" >"$work/stdout" 2>&1 &
installer=$!
drive --report && shot 1-dialog.png
drive --click=1006 && shot 2-agreement-ticked.png
drive --link=1008 --window="Arvendo Quarnelix 4.26 Package Contents" && sleep 1 && shot 3-package-contents.png
drive --click=1013 --click=1 && "$QX_WINE" "$helpers/boxclick.exe" "Installation Completed" --report >/dev/null &&
    shot 4-completed-box.png && "$QX_WINE" "$helpers/boxclick.exe" "Installation Completed" --enter >/dev/null
wait $installer
echo "exit code $?"
echo "installer output:"; sed 's/\r$//' "$work/stdout"
