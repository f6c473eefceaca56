# Common Wine settings for every test run; sourced by the scripts beside it.
# QX_WINE_ARCH picks the prefix kind and the loader: win32 (default; the release, 32-bit Wine)
# or win64 (the 64-bit twin under 64-bit Wine, for hosts that cannot run 32-bit code).
export WINEDEBUG=-all
export QX_WINE_ARCH=${QX_WINE_ARCH:-win32}
export WINEARCH=$QX_WINE_ARCH
if [ "$QX_WINE_ARCH" = win64 ]; then
    # Debian's `wine` starts the 32-bit loader whenever wine32 is installed.
    export QX_WINE=/usr/lib/wine/wine64 WINELOADER=/usr/lib/wine/wine64
else
    export QX_WINE=wine
fi
# No Mono/Gecko installers, no Linux menu entries for the shortcuts we create.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export LC_ALL=C.UTF-8
