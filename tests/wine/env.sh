# Common Wine settings for every test run; sourced by the scripts beside it.
export WINEDEBUG=-all
export WINEARCH=win32
# No Mono/Gecko installers, no Linux menu entries for the shortcuts we create.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export LC_ALL=C.UTF-8
