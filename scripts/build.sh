#!/usr/bin/env bash
# Builds the host tree (tools, pure logic, tests) and the Windows cross tree
# (dist/QuarnelixInstaller.exe and the Windows test programs).
# Usage: scripts/build.sh [build-root]   (default: ./build)
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
root=${1:-$src/build}
jobs=$(nproc)
cmake -S "$src" -B "$root/win" -DCMAKE_TOOLCHAIN_FILE="$src/cmake/mingw-i686.cmake" \
      -DCMAKE_BUILD_TYPE=Release ${QX_WIN_CMAKE_ARGS:-} >/dev/null
# QX_WIN_TARGETS limits the cross build (e.g. to the installer alone).
cmake --build "$root/win" -j "$jobs" ${QX_WIN_TARGETS:+--target $QX_WIN_TARGETS}
if [ "${QX_SKIP_HOST:-0}" != 1 ]; then
    cmake -S "$src" -B "$root/host" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
          -DCMAKE_BUILD_TYPE=Debug -DQX_WIN_BUILD="$root/win" >/dev/null
    cmake --build "$root/host" -j "$jobs"
fi
