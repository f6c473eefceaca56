#!/usr/bin/env bash
# Builds the installer and runs it unattended in a scratch Wine prefix, showing its
# output, its exit code and what it left on the machine, then removes it again.
# Exits non-zero when the installer could not be run or failed.
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
. "$src/scripts/host.sh"
qx_host
"$src/scripts/deps.sh" build
if [ "$QX_HOST_I386" = 1 ]; then
    QX_SKIP_HOST=1 QX_SKIP_TWIN=1 QX_WIN_TARGETS=QuarnelixInstaller "$src/scripts/build.sh" "$src/build"
    exe=$src/dist/QuarnelixInstaller.exe arch=win32
else
    QX_SKIP_HOST=1 QX_WIN_TARGETS=QuarnelixInstaller "$src/scripts/build.sh" "$src/build"
    exe=$src/dist-x64/QuarnelixInstaller.exe arch=win64
    echo "== This machine cannot run 32-bit programs, so the demo runs the 64-bit twin of the installer"
    echo "   (dist-x64/, the same sources built for x86-64 for tests) under 64-bit Wine. The release is"
    echo "   the 32-bit dist/QuarnelixInstaller.exe, built above as well."
fi
QX_WINE_ARCH=$arch qx_isolated_binfmt "$src/scripts/demo-run.sh" "$exe"
