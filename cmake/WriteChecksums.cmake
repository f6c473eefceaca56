# cmake -DQX_SUMS_FILES=<names> -DQX_SUMS_OUT=<file> -P WriteChecksums.cmake, run in the
# folder of the files: one line "<sha256>  <name>" each, as `sha256sum -c` reads them.
set(text "")
foreach(name ${QX_SUMS_FILES})
    file(SHA256 "${name}" hash)
    string(APPEND text "${hash}  ${name}\n")
endforeach()
file(WRITE "${QX_SUMS_OUT}" "${text}")
