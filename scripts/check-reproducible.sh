#!/usr/bin/env bash
# Builds the committed sources a second time in another folder and compares the
# installer byte for byte with the given one (release engineers verify what they ship
# this way; a signed one with its identity and QX_SIGN_TIME in the environment, as the
# build takes them). Then the second build, and a third tree in another folder that takes
# its objects, sign with a throwaway identity at a fixed time and must agree too.
# Usage: check-reproducible.sh path/to/QuarnelixInstaller.exe
set -euo pipefail
exe=$(realpath "$1")
src=$(cd "$(dirname "$0")/.." && pwd)
. "$src/scripts/host.sh"
qx_host   # builds only, no Windows program runs: the same on both kinds of host
work=$(mktemp -d "${TMPDIR:-/tmp}/qxrepro.XXXXXX")
trap 'rm -rf "$work"' EXIT
# The same tracked files, working-tree state included, in a differently named folder.
mkdir -p "$work/elsewhere/src"
(cd "$src" && git ls-files -z --cached --others --exclude-standard | xargs -0 cp --parents -t "$work/elsewhere/src")
QX_SKIP_HOST=1 QX_SKIP_TWIN=1 QX_WIN_TARGETS=QuarnelixInstaller QX_WIN_CMAKE_ARGS="-DQX_DIST_DIR=$work/dist" \
    "$work/elsewhere/src/scripts/build.sh" "$work/build" >"$work/build.log" 2>&1 || { tail -30 "$work/build.log"; exit 1; }
if cmp "$exe" "$work/dist/QuarnelixInstaller.exe"; then
    echo "reproducible: $(sha256sum < "$exe" | cut -c1-64)"
else
    echo "second build differs from $exe"; exit 1
fi

id=$work/identity
mkdir -p "$id"
echo throwaway > "$id/password"
openssl req -x509 -newkey rsa:2048 -keyout "$id/key.pem" -passout "file:$id/password" -out "$id/cert.pem" \
    -days 2 -subj "/CN=Reproducibility check" -addext extendedKeyUsage=codeSigning 2>>"$work/build.log"
signing=(env -u QX_SIGN_PKCS12 -u QX_SIGN_TIMESTAMP_URL QX_SIGN_CERT="$id/cert.pem" QX_SIGN_KEY="$id/key.pem"
         QX_SIGN_PASSWORD_FILE="$id/password" QX_SIGN_TIME=1700000000 QX_SKIP_HOST=1 QX_SKIP_TWIN=1 QX_WIN_TARGETS=QuarnelixInstaller)
reuse=$src/scripts/reuse-objects.sh
# The second build's tree, given the identity, signs and relinks; a third tree in another
# folder, from the original sources, takes that tree's objects and must give the same bytes.
{ "${signing[@]}" QX_WIN_CMAKE_ARGS="-DQX_DIST_DIR=$work/signed1/dist" \
      "$work/elsewhere/src/scripts/build.sh" "$work/build" &&
  "${signing[@]}" QX_WIN_CMAKE_ARGS="-DQX_DIST_DIR=$work/signed2/dist" \
      CMAKE_C_COMPILER_LAUNCHER="$reuse" CMAKE_CXX_COMPILER_LAUNCHER="$reuse" \
      QX_REUSE_FROM="$work/build/win" QX_REUSE_INTO="$work/signed2/win" "$src/scripts/build.sh" "$work/signed2"
} >>"$work/build.log" 2>&1 || { tail -30 "$work/build.log"; exit 1; }
signed=$work/signed1/dist/QuarnelixInstaller.exe
osslsigncode verify -CAfile "$id/cert.pem" -in "$signed" >>"$work/build.log" || { echo "no valid signature"; exit 1; }
if cmp "$signed" "$work/signed2/dist/QuarnelixInstaller.exe"; then
    echo "reproducible when signed: $(sha256sum < "$signed" | cut -c1-64)"
else
    echo "two signed builds differ"; exit 1
fi
