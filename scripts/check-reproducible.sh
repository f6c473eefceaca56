#!/usr/bin/env bash
# Builds the committed sources a second time in another folder and compares the
# installer byte for byte with the given one (release engineers verify what they ship
# this way). Usage: check-reproducible.sh path/to/QuarnelixInstaller.exe
set -euo pipefail
exe=$(realpath "$1")
src=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/qxrepro.XXXXXX")
trap 'rm -rf "$work"' EXIT
# The same tracked files, working-tree state included, in a differently named folder.
mkdir -p "$work/elsewhere/src"
(cd "$src" && git ls-files -z --cached --others --exclude-standard | xargs -0 cp --parents -t "$work/elsewhere/src")
QX_SKIP_HOST=1 QX_WIN_TARGETS=QuarnelixInstaller QX_WIN_CMAKE_ARGS="-DQX_DIST_DIR=$work/dist" \
    "$work/elsewhere/src/scripts/build.sh" "$work/build" >"$work/build.log" 2>&1 || { tail -30 "$work/build.log"; exit 1; }
if cmp "$exe" "$work/dist/QuarnelixInstaller.exe"; then
    echo "reproducible: $(sha256sum < "$exe" | cut -c1-64)"
else
    echo "second build differs from $exe"; exit 1
fi
