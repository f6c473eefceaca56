#!/usr/bin/env bash
# Builds the host tree's fuzzers and runs each of them for a longer time than the test run.
# Usage: scripts/fuzz.sh [seconds-per-fuzzer] [build-root]   (defaults: 600, ./build)
# New inputs go to <build-root>/host/fuzz-corpus/<name> (the seed corpus in the source
# tree is only read); a crashing input is written to <build-root>/host/fuzz-artifacts/.
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
. "$src/scripts/host.sh"
qx_host   # native work only: the same on both kinds of host
seconds=${1:-600}
root=${2:-$src/build}
case "$seconds" in ''|*[!0-9]*) echo "fuzz.sh: seconds must be a number: $seconds" >&2; exit 2;; esac

host="$root/host"
cmake -S "$src" -B "$host" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
      -DCMAKE_BUILD_TYPE=Debug >/dev/null

names=()
for f in "$src"/tests/fuzz/*.cpp; do
    [ -e "$f" ] || continue
    names+=("$(basename "$f" .cpp)")
done
if [ ${#names[@]} -eq 0 ]; then
    echo "fuzz.sh: no fuzzers in tests/fuzz" >&2
    exit 2
fi
for name in "${names[@]}"; do
    cmake --build "$host" --target "$name" -j "$(nproc)"
done

artifacts="$host/fuzz-artifacts"
mkdir -p "$artifacts"
failed=()
for name in "${names[@]}"; do
    exe="$host/tests/$name"
    corpus="$host/fuzz-corpus/$name"
    seeds="$src/tests/fuzz/corpus/$name"
    mkdir -p "$corpus"
    dirs=("$corpus")
    [ -d "$seeds" ] && dirs+=("$seeds")
    log="$host/fuzz-$name.log"
    echo "== $name: ${seconds} s (log: $log)"
    if "$exe" -max_total_time="$seconds" -rss_limit_mb=2048 -print_final_stats=1 \
              -artifact_prefix="$artifacts/$name-" "${dirs[@]}" >"$log" 2>&1; then
        grep -E '^(Done|stat::number_of_executed_units|stat::peak_rss_mb)' "$log" || true
        echo "   corpus: $(find "$corpus" -type f | wc -l) inputs"
    else
        tail -n 40 "$log"
        echo "== $name FAILED; inputs: $(ls "$artifacts" | grep "^$name-" | tr '\n' ' ')"
        failed+=("$name")
    fi
done

if [ ${#failed[@]} -ne 0 ]; then
    echo "fuzz.sh: failed: ${failed[*]}" >&2
    exit 1
fi
echo "fuzz.sh: all ${#names[@]} fuzzers ran ${seconds} s without a finding"
