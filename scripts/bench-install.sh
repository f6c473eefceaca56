#!/usr/bin/env bash
# Extraction benchmark of the installer under Wine. Prints figures; it is not a test.
# Two synthetic products, made deterministically by bench-package, packed by mkpackage and
# built into installers of their own (never into dist/):
#   decode-bound  200 MiB in 16 files (prose, program-like sections, zero runs, 10% noise)
#   file-bound     16 MiB in 600 files of the same kinds
# Each is installed unattended under Wine with a warm wineserver, output to a file. The
# extraction time runs from the creation of the first package file (its "Installing" line
# comes just before) to the last write of the last one, read from the files' timestamps.
# In the same run the stream is decoded to nothing by the native LZMA SDK decoder
# (bench-package decode), written out by a bare Windows program with no installer logic
# (tests/bench/bareextract.cpp), and the peak working sets of the installer and of a program
# that does nothing are read by tests/bench/peakws.cpp. For the decode-bound package, the cost
# of an integrity check is measured by tests/bench/crcpass.cpp: the installer's own resource
# reader and a CRC-32 over the package, linked into that program like into the installer;
# the same for the SHA-256 alone, and as the installer makes it (on a thread of its own while
# the package is decoded ahead), as the difference to decoding the package without it.
# Medians of the repeats are printed, the two packages side by side.
#
# Usage: scripts/bench-install.sh [work folder] [repeats]
#        QX_BENCH_KINDS="file" measures the file-bound package alone (default "decode file").
#        (default build/bench-install and 3). The first run packs the products and builds two
#        installers, several minutes; later runs reuse them. QX_WINE_TEMPLATE may name a ready
#        template prefix (tests/wine/make-template); otherwise one is made in the work folder.
#        Run it on a quiet machine: the figures follow the load.
#        On a host that cannot run 32-bit code it measures the 64-bit twin under 64-bit Wine
#        (scripts/host.sh), and says so.
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
. "$src/scripts/host.sh"
qx_host
if [ "$QX_HOST_I386" = 1 ]; then
    arch=i686
else
    arch=x86_64
    export QX_WINE_ARCH=win64
    qx_isolate_script "$0" "$@"
fi
root=$(realpath -m "${1:-$src/build/bench-install}")
repeats=${2:-3}
mkdir -p "$root"
log=$root/build.log
: > "$log"

echo "== preparing in $root (build output: $log)"
cmake -S "$src/tools" -B "$root/tools" -DCMAKE_BUILD_TYPE=Release -DQX_BUILD_BENCH=ON >>"$log"
cmake --build "$root/tools" -j 2 >>"$log"
bench=$root/tools/bench-package

# The Windows programs of the benchmark, built like the installer's parts (-O2, static).
winbench=$root/winbench
mkdir -p "$winbench"
cxx=$arch-w64-mingw32-g++-posix
cc=$arch-w64-mingw32-gcc-posix
flags=(-O2 -static -static-libgcc -static-libstdc++ -s -Wall -Wextra)
lzma_sdk=/usr/include/lzma
build_win() {   # build_win <name> <extra arguments...>
    local name=$1; shift
    if [ ! -f "$winbench/$name.exe" ] || [ "$src/tests/bench/$name.cpp" -nt "$winbench/$name.exe" ]; then
        "$cxx" "${flags[@]}" -o "$winbench/$name.exe" "$src/tests/bench/$name.cpp" "$@"
    fi
}
if [ ! -f "$winbench/LzmaDec.o" ]; then
    "$cc" -O2 -w -c -I"$lzma_sdk" "$lzma_sdk/LzmaDec.c" -o "$winbench/LzmaDec.o"
fi
build_win trivial
build_win peakws -I"$src" -lpsapi
build_win bareextract -I"$lzma_sdk" "$winbench/LzmaDec.o"

# The products: regenerated every run, but a file is replaced only when its bytes changed,
# so the packages (minutes to pack) are made again only when the generator changes.
read -r -a kinds <<<"${QX_BENCH_KINDS:-decode file}"
declare -A megabytes=([decode]=200 [file]=16) count=([decode]=16 [file]=600)
for kind in "${kinds[@]}"; do
    corpus=$root/corpus-$kind
    fresh=$root/corpus-$kind.new
    rm -rf "$fresh"
    "$bench" generate "$fresh" "${megabytes[$kind]}" "${count[$kind]}" >/dev/null
    mkdir -p "$corpus"
    for f in "$corpus"/*; do [ -e "$fresh/${f##*/}" ] || rm -f "$f"; done
    for f in "$fresh"/*; do cmp -s "$f" "$corpus/${f##*/}" || mv -f "$f" "$corpus/"; done
    rm -rf "$fresh"

    # The way a release engineer builds an installer for other files (tools/README.md).
    echo "== building the $kind-bound installer"
    QX_SKIP_HOST=1 QX_SKIP_TWIN=1 QX_WIN_ARCH=$arch QX_WIN_TARGETS=QuarnelixInstaller \
        QX_WIN_CMAKE_ARGS="-DQX_PRODUCT_DIR=$corpus -DQX_DIST_DIR=$root/installer-$kind" \
        "$src/scripts/build.sh" "$root/build-$kind" >>"$log" 2>&1 || {
        echo "building the $kind-bound installer failed; see $log" >&2
        exit 1
    }
done

# crcpass: the installer's library from the decode-bound build, its package as resource 148,
# and the installer's file layout.
crc_build=$root/build-decode/win
if [ -d "$crc_build" ] && { [ ! -f "$winbench/crcpass.exe" ] || [ "$src/tests/bench/crcpass.cpp" -nt "$winbench/crcpass.exe" ] ||
   [ "$crc_build/libqx_installer.a" -nt "$winbench/crcpass.exe" ] ||
   [ "$crc_build/package/quarnelix.pkg" -nt "$winbench/crcpass.exe" ]; }; then
    echo "148 BINARY \"$crc_build/package/quarnelix.pkg\"" >"$winbench/crcpass.rc"
    $arch-w64-mingw32-windres -O coff "$winbench/crcpass.rc" "$winbench/crcpass.res"
    "$cxx" "${flags[@]}" -I"$src" -DWIN32_LEAN_AND_MEAN -DNOMINMAX -o "$winbench/crcpass.exe" \
        "$src/tests/bench/crcpass.cpp" "$winbench/crcpass.res" -Wl,--start-group \
        "$crc_build"/libqx_{installer,actions,ui,prompt,platform,mulib,nocrt}.a -Wl,--end-group \
        /usr/$arch-w64-mingw32/lib/libz.a -lkernel32 -luser32 \
        -Wl,--file-alignment=0x1000 -Wl,--section-alignment=0x1000
fi

. "$src/tests/wine/env.sh"
tpl=${QX_WINE_TEMPLATE:-$root/wine-template}
if [ ! -d "$tpl/prefix" ]; then
    echo "== making a Wine template prefix in $tpl"
    "$src/tests/wine/make-template" "$tpl" >>"$log" 2>&1
fi
winpath() { local p=$1; echo "Z:${p//\//\\}"; }

# stamps <folder> <manifest>: first creation, last modification, bytes and count of the
# package's files in the folder (the uninstaller, written later, is not one of them).
stamps() {
    local names
    names=$(awk '!/^#/ && NF >= 3 { print $3 }' "$2")
    (cd "$1" && stat -c '%.9W %.9Y %s' $names) |
        awk '{ if (NR == 1 || $1 < first) first = $1; if ($2 > last) last = $2; bytes += $3 }
             END { printf "%.9f %.9f %d %d\n", first, last, bytes, NR }'
}

echo "== load before the runs: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores" | tee "$root/load.txt"
results=$root/results
rm -rf "$results"
mkdir -p "$results"
work=$root/prefix
cleanup() {
    if [ -n "${WINEPREFIX:-}" ]; then wineserver -k >/dev/null 2>&1 || true; fi
    rm -rf "$work"
}
trap cleanup EXIT
for rep in $(seq 1 "$repeats"); do
    for kind in "${kinds[@]}"; do
        out=$results/$kind-$rep
        mkdir -p "$out"
        pkg=$root/build-$kind/win/package/quarnelix.pkg
        manifest=$root/corpus-$kind/package.manifest
        echo "== run $rep of $repeats, $kind-bound"
        "$src/tests/wine/clone-prefix" "$tpl" "$work"
        export WINEPREFIX=$work/prefix HOME=$work/home
        wineserver -p   # stays up between the programs below: every one of them starts warm
        "$QX_WINE" "$winbench/trivial.exe" >/dev/null 2>&1
        sync
        "$QX_WINE" "$winbench/peakws.exe" "$(winpath "$winbench/trivial.exe")" >"$out/trivial.txt" 2>&1
        sync
        # Start-up alone (usage text): the system libraries and the image with its package.
        "$QX_WINE" "$winbench/peakws.exe" "$(winpath "$root/installer-$kind/QuarnelixInstaller.exe")" -? \
            >"$out/startup.txt" 2>&1
        # The installer and the bare program take turns at going first: the second one
        # writes while the disk may still be busy with the first one's files.
        for program in $( ((rep % 2)) && echo installer bare || echo bare installer); do
            sync
            if [ "$program" = installer ]; then
                "$QX_WINE" "$winbench/peakws.exe" "$(winpath "$root/installer-$kind/QuarnelixInstaller.exe")" \
                    '-installDir=C:\bench' -acceptEULA >"$out/install.txt" 2>"$out/install.err"
                stamps "$WINEPREFIX/drive_c/bench" "$manifest" >"$out/install.stamps"
            else
                mkdir -p "$WINEPREFIX/drive_c/bare"
                "$QX_WINE" "$winbench/peakws.exe" "$(winpath "$winbench/bareextract.exe")" "$(winpath "$pkg")" 'C:\bare' \
                    >"$out/bare.txt" 2>&1
                stamps "$WINEPREFIX/drive_c/bare" "$manifest" >"$out/bare.stamps"
            fi
        done
        if [ "$kind" = decode ]; then
            sync
            "$QX_WINE" "$winbench/peakws.exe" "$(winpath "$winbench/crcpass.exe")" 3 >"$out/crc.txt" 2>&1
            "$QX_WINE" "$winbench/crcpass.exe" 3 sha256 >"$out/sha.txt" 2>&1
            "$QX_WINE" "$winbench/crcpass.exe" 5 overlap >"$out/overlap.txt" 2>&1
        fi
        wineserver -k
        wineserver -w
        rm -rf "$work"
        sync
        "$bench" decode "$pkg" 1 >"$out/native.txt"
    done
done

echo "== load after the runs: $(cut -d' ' -f1-3 /proc/loadavg)" | tee -a "$root/load.txt"

python3 - "$root" "$repeats" "${kinds[@]}" <<'EOF'
import hashlib, re, statistics, struct, sys, zlib
root, repeats, kinds = sys.argv[1], int(sys.argv[2]), sys.argv[3:]
MiB = 1 << 20

def read(path):
    with open(path, encoding="latin-1") as f:
        return f.read()

def peakws(path):
    """(exit code, seconds, peak working set) of a run under peakws."""
    m = re.search(r"peakws: exit (\d+), ([\d.]+) s, peak working set (\d+) bytes", read(path))
    if not m:
        sys.exit("no peakws line in " + path)
    return int(m.group(1)), float(m.group(2)), int(m.group(3))

def stamps(path):
    first, last, size, files = read(path).split()
    if float(first) == 0:
        sys.exit("the file system keeps no creation times (stat %W gives 0): " + path)
    return float(last) - float(first), int(size), int(files)

facts, meds, runs_of = {}, {}, {}
for kind in kinds:
    with open("%s/build-%s/win/package/quarnelix.pkg" % (root, kind), "rb") as f:
        package = f.read()
    _, dictionary, unpacked = struct.unpack_from("<BIQ", package)
    runs = []
    for rep in range(1, repeats + 1):
        d = "%s/results/%s-%d" % (root, kind, rep)
        code, wall, peak = peakws(d + "/install.txt")
        if code != 0:
            sys.exit("the installer failed (exit %d) in %s" % (code, d))
        install, size, files = stamps(d + "/install.stamps")
        bare, bare_size, bare_files = stamps(d + "/bare.stamps")
        if (bare_size, bare_files) != (size, files):
            sys.exit("the bare program wrote other files than the installer in " + d)
        native = re.search(r"decoder alone\s+wall: median\s+([\d.]+) ms", read(d + "/native.txt"))
        run = dict(install=install, bare=bare, native=float(native.group(1)) / 1e3, wall=wall, peak=peak,
                   startup=peakws(d + "/startup.txt")[2], trivial=peakws(d + "/trivial.txt")[2],
                   bare_peak=peakws(d + "/bare.txt")[2])
        if kind == "decode":
            text = read(d + "/crc.txt")
            m = re.search(r"crcpass: (\d+) bytes, crc32 ([0-9a-f]+), median of \d+: ([\d.]+) s", text)
            if not m or peakws(d + "/crc.txt")[0] != 0:
                sys.exit("crcpass failed in %s:\n%s" % (d, text))
            if (int(m.group(1)), int(m.group(2), 16)) != (len(package), zlib.crc32(package)):
                sys.exit("crcpass read other bytes than the package in " + d)
            run.update(crc=float(m.group(3)), crc_peak=peakws(d + "/crc.txt")[2])
            text = read(d + "/sha.txt")
            m = re.search(r"crcpass: (\d+) bytes, sha256 ([0-9a-f]+), median of \d+: ([\d.]+) s", text)
            if not m or m.group(2) != hashlib.sha256(package).hexdigest():
                sys.exit("the SHA-256 pass failed or read other bytes in %s:\n%s" % (d, text))
            run.update(sha=float(m.group(3)))
            text = read(d + "/overlap.txt")
            m = re.search(r"crcpass: decode alone ([\d.]+) s, with the check ([\d.]+) s.*\n"
                          r"crcpass: (\d+) bytes, overlap -, median of \d+: (-?[\d.]+) s", text)
            if not m or int(m.group(3)) != len(package):
                sys.exit("the overlap pass failed in %s:\n%s" % (d, text))
            run.update(decode=float(m.group(1)), overlap=float(m.group(2)), cost=float(m.group(4)))
        runs.append(run)
    runs_of[kind] = runs
    meds[kind] = {k: statistics.median(r[k] for r in runs) for k in runs[0]}
    facts[kind] = dict(files=files, mb=size / 1e6, packed=len(package) / 1e6, dictionary=dictionary,
                       window=min(dictionary, unpacked))   # no more is allocated than the data needs

def row(label, cell):
    cells = []
    for kind in kinds:
        try:
            cells.append(cell(facts[kind], meds[kind], kind))
        except KeyError:
            cells.append("-")
    print("  %-46s" % label + "".join("%-46s" % c for c in cells).rstrip())

print()
print("medians of %d runs; load: %s" % (repeats, " / ".join(read(root + "/load.txt").split("\n")[:2]).replace("== ", "")))
row("", lambda f, m, k: "%s-bound" % k)
row("package", lambda f, m, k: "%d files, %.1f MB, %.1f MB packed" % (f["files"], f["mb"], f["packed"]))
row("dictionary stated / allocated", lambda f, m, k: "%d / %.1f MiB" % (f["dictionary"] // MiB, f["window"] / MiB))
row("installer extraction", lambda f, m, k: "%.3f s, %.1f MB/s, %.0f files/s" % (m["install"], f["mb"] / m["install"], f["files"] / m["install"]))
row("  (whole run)", lambda f, m, k: "%.3f s" % m["wall"])
row("native decoder, decode only", lambda f, m, k: "%.3f s" % m["native"])
row("bare Wine program", lambda f, m, k: "%.3f s, %.1f MB/s, %.0f files/s" % (m["bare"], f["mb"] / m["bare"], f["files"] / m["bare"]))
row("installer time / native decode time", lambda f, m, k: "%.2f%s" % (m["install"] / m["native"], "  (target <= 1.25)" if k == "decode" else ""))
row("installer throughput / bare program's", lambda f, m, k: "%.2f%s" % (m["bare"] / m["install"], "  (target >= 0.90)" if k == "file" else ""))
row("peak working set: installer / trivial / bare", lambda f, m, k: "%.1f / %.1f / %.1f MiB" % (m["peak"] / MiB, m["trivial"] / MiB, m["bare_peak"] / MiB))
row("installer above trivial program", lambda f, m, k: "%.1f MiB  (target <= %.1f)" % ((m["peak"] - m["trivial"]) / MiB, f["window"] / MiB + 8))
row("  of that, start-up alone (-?)", lambda f, m, k: "%.1f MiB" % ((m["startup"] - m["trivial"]) / MiB))
row("  of that, added by extraction and the rest", lambda f, m, k: "%.1f MiB" % ((m["peak"] - m["startup"]) / MiB))
row("CRC-32 of the package read from the file", lambda f, m, k: "%.3f s, %.1f%% of extraction (target <= 5%%)" % (m["crc"], 100 * m["crc"] / m["install"]))
row("  its peak working set above trivial", lambda f, m, k: "%.1f MiB" % ((m["crc_peak"] - m["trivial"]) / MiB))
row("SHA-256 of it (the system's), alone", lambda f, m, k: "%.3f s, %.1f%% of extraction" % (m["sha"], 100 * m["sha"] / m["install"]))
row("  decode to nothing / with the check as made", lambda f, m, k: "%.3f / %.3f s" % (m["decode"], m["overlap"]))
row("  what the check costs (pairs' difference)", lambda f, m, k: "%.3f s, %.1f%% of extraction (target <= 5%%)" % (m["cost"], 100 * m["cost"] / m["install"]))
for kind in kinds:
    for i, r in enumerate(runs_of[kind], 1):
        print("  %s-bound run %d: installer %.3f s, native %.3f s, bare %.3f s, installer peak %.1f MiB%s"
              % (kind, i, r["install"], r["native"], r["bare"], r["peak"] / MiB,
                 ", CRC pass %.3f s, SHA-256 %.3f s, the check as made %.3f s"
                 % (r["crc"], r["sha"], r["cost"]) if "crc" in r else ""))
EOF
