#!/usr/bin/env bash
# Builds everything and runs every test layer: host unit tests (ASan+UBSan), a short
# fuzzing run, Windows unit tests under Wine, end-to-end runs of the installer in a
# throwaway Wine prefix, and the reproducible-build check. On a host that cannot run
# 32-bit code the Wine layers test the 64-bit twin (scripts/host.sh).
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
. "$src/scripts/host.sh"
qx_host
"$src/scripts/deps.sh" test
"$src/scripts/build.sh" "$src/build"
cd "$src/build/host"
# Twice as many tests as cores: the Wine tests spend most of their time waiting for Wine.
qx_isolated_binfmt ctest --output-on-failure -j "$((2 * $(nproc)))" --timeout 900 "$@"
