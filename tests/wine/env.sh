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
# QX_WINE_LOCALE (e.g. ja_JP.UTF-8) is the locale Wine takes its ANSI code page from. One the
# system lacks is made once from the locale sources (package locales) beside the template,
# where glibc finds it through LOCPATH.
if [ -n "${QX_WINE_LOCALE:-}" ] && [ -n "$(LC_ALL=$QX_WINE_LOCALE locale 2>&1 >/dev/null)" ]; then
    qx_locales=$(dirname "${QX_WINE_TEMPLATE:?QX_WINE_TEMPLATE names the template made by make-template}")/locales
    if [ ! -d "$qx_locales/$QX_WINE_LOCALE" ]; then
        mkdir -p "$qx_locales"
        qx_made=$(mktemp -d "$qx_locales/.make.XXXXXX")
        # localedef exits non-zero for mere warnings: what counts is whether the locale loads.
        localedef -i "${QX_WINE_LOCALE%%.*}" -f "${QX_WINE_LOCALE#*.}" "$qx_made/$QX_WINE_LOCALE" >/dev/null 2>&1
        mv -T "$qx_made/$QX_WINE_LOCALE" "$qx_locales/$QX_WINE_LOCALE" 2>/dev/null
        rm -rf "$qx_made"
    fi
    export LOCPATH=$qx_locales
    if [ -n "$(LC_ALL=$QX_WINE_LOCALE locale 2>&1 >/dev/null)" ]; then
        echo "env.sh: cannot make the locale $QX_WINE_LOCALE (package locales missing?)" >&2
    fi
fi
export LC_ALL=${QX_WINE_LOCALE:-C.UTF-8}
