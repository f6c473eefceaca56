#!/usr/bin/env bash
# Builds the installer and runs it unattended in a scratch Wine prefix, showing
# its output, its exit code and what it left on the machine.
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
"$src/scripts/deps.sh" build
QX_SKIP_HOST=1 "$src/scripts/build.sh" "$src/build"
exec "$src/scripts/demo-run.sh" "$src/dist/QuarnelixInstaller.exe"
