#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when they are missing.
# Usage: scripts/deps.sh build|test
# Both Wine halves on every host: the release needs 32-bit Wine, the 64-bit twin (tests on
# hosts that cannot run 32-bit code) needs 64-bit Wine.
set -euo pipefail
. "$(dirname "$0")/host.sh"
qx_host
what=${1:-test}
pkgs=(cmake make g++ python3 mingw-w64 g++-mingw-w64-i686 binutils-mingw-w64-i686
      g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64
      lzma-dev libz-mingw-w64-dev wine wine64 wine32:i386 file osslsigncode openssl)
if [ "$what" = test ]; then
    pkgs+=(googletest libgtest-dev clang xvfb xauth imagemagick x11-utils locales)
fi
missing=()
for p in "${pkgs[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
fi
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
