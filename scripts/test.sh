#!/usr/bin/env bash
# Builds everything and runs every test layer: host unit tests (ASan+UBSan), a short
# fuzzing run, Windows unit tests under Wine, end-to-end runs of the installer in a
# throwaway Wine prefix, and the reproducible-build check.
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
"$src/scripts/deps.sh" test
"$src/scripts/build.sh" "$src/build"
cd "$src/build/host"
ctest --output-on-failure -j "$(nproc)" --timeout 900 "$@"
