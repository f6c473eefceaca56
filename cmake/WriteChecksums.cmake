# cmake -DQX_SUMS_FILES=<paths> -DQX_SUMS_OUT=<file> -P WriteChecksums.cmake, run in the
# folder the paths are relative to: one line "<sha256>  <path>" each, as `sha256sum -c` reads them.
set(text "")
foreach(name ${QX_SUMS_FILES})
    file(SHA256 "${name}" hash)
    string(APPEND text "${hash}  ${name}\n")
endforeach()
file(WRITE "${QX_SUMS_OUT}" "${text}")
