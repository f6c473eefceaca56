#!/usr/bin/env bash
# Prints the decode throughput of the installer's package decoder and message parser,
# built natively with optimisation (no sanitizers): on the sample package of a cross build
# and on a 30 MB synthetic corpus made deterministically. Figures only, no verdict.
# Usage: scripts/bench-package.sh [build-root]   (default: ./build; the sample package is
#        <build-root>/win/package/quarnelix.pkg, the work files go to <build-root>/bench)
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
. "$src/scripts/host.sh"
qx_host   # native work only: the same on both kinds of host
root=${1:-$src/build}
work=$root/bench
cmake -S "$src/tools" -B "$work/tools" -DCMAKE_BUILD_TYPE=Release -DQX_BUILD_BENCH=ON >/dev/null
cmake --build "$work/tools" -j 2 >/dev/null
bench=$work/tools/bench-package

sample=$root/win/package/quarnelix.pkg
if [ -f "$sample" ]; then
    "$bench" decode "$sample" 200
else
    echo "no sample package at $sample (build the cross tree first)"
fi

# Packing 30 MB at the build's settings takes about half a minute, so it is kept.
synthetic=$work/synthetic-30mb.pkg
if [ ! -f "$synthetic" ]; then
    "$bench" generate "$work/corpus" 30 >/dev/null
    "$work/tools/mkpackage" "$work/corpus/package.manifest" "$work/corpus" "$synthetic" >/dev/null
    rm -rf "$work/corpus"
fi
"$bench" decode "$synthetic" 5
