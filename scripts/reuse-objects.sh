#!/bin/sh
# Compiler launcher for a second build tree of the same sources (CMAKE_<LANG>_COMPILER_LAUNCHER):
# an object that the tree QX_REUSE_FROM compiled from the same source, at the same place
# under it as the object wanted here under QX_REUSE_INTO, is copied from there with its
# dependency file instead of being compiled again. Objects name no build folder
# (-ffile-prefix-map), so the copy is what the compiler would have written.
out= dep= src= prev=
for a; do
    case $prev in -o) out=$a ;; -MF) dep=$a ;; -c) src=$a ;; esac
    prev=$a
done
case $out in /*) ;; *) out=$PWD/$out ;; esac
from=$QX_REUSE_FROM/${out#"$QX_REUSE_INTO"/}
if [ "$from" != "$out" ] && [ -f "$from" ] && [ -n "$src" ] && [ "$from" -nt "$src" ]; then
    cp "$from" "$out" || exit
    if [ -n "$dep" ]; then
        case $dep in /*) ;; *) dep=$PWD/$dep ;; esac
        sed "s|$QX_REUSE_FROM/|$QX_REUSE_INTO/|g" "$QX_REUSE_FROM/${dep#"$QX_REUSE_INTO"/}" > "$dep"
    fi
    exit
fi
exec "$@"
