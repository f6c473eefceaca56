#!/usr/bin/env bash
# Builds the host tree (tools, pure logic, tests), the Windows cross tree
# (dist/QuarnelixInstaller.exe and the Windows test programs) and its 64-bit twin
# (dist-x64/, for tests only: hosts that cannot run 32-bit code test the twin).
# Usage: scripts/build.sh [build-root]   (default: ./build)
#   QX_WIN_ARCH=x86_64   builds the main cross tree for x86_64 (a test's own twin tree)
#   QX_SKIP_TWIN=1       builds no twin tree; QX_SKIP_HOST=1 no host tree
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
. "$src/scripts/host.sh"
qx_host
root=${1:-$src/build}
jobs=$(nproc)
cmake -S "$src" -B "$root/win" -DCMAKE_TOOLCHAIN_FILE="$src/cmake/mingw-${QX_WIN_ARCH:-i686}.cmake" \
      -DCMAKE_BUILD_TYPE=Release ${QX_WIN_CMAKE_ARGS:-} >/dev/null
# QX_WIN_TARGETS limits the cross build (e.g. to the installer alone). Where 32-bit code cannot
# run, the release's own test programs could not be run either: the twin's are.
targets=${QX_WIN_TARGETS:-}
if [ "$QX_HOST_I386" = 0 ] && [ "${QX_WIN_ARCH:-i686}" = i686 ] && [ -z "$targets" ]; then
    targets=QuarnelixInstaller
fi
cmake --build "$root/win" -j "$jobs" ${targets:+--target $targets}
twin_dist=$src/dist-x64
if [ "${QX_SKIP_TWIN:-0}" != 1 ]; then
    # Its own output folder last, so that nothing given for the release can send it to dist/.
    cmake -S "$src" -B "$root/win64" -DCMAKE_TOOLCHAIN_FILE="$src/cmake/mingw-x86_64.cmake" \
          -DCMAKE_BUILD_TYPE=Release ${QX_WIN_CMAKE_ARGS:-} -DQX_DIST_DIR="$twin_dist" >/dev/null
    cmake --build "$root/win64" -j "$jobs" ${QX_WIN_TARGETS:+--target $QX_WIN_TARGETS}
fi
if [ "${QX_SKIP_HOST:-0}" != 1 ]; then
    cmake -S "$src" -B "$root/host" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
          -DCMAKE_BUILD_TYPE=Debug -DQX_WIN_BUILD="$root/win" -DQX_TWIN_BUILD="$root/win64" \
          -DQX_TWIN_DIST_DIR="$twin_dist" -DQX_HOST_I386="$QX_HOST_I386" >/dev/null
    cmake --build "$root/host" -j "$jobs"
fi
