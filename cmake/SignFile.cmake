# cmake -DQX_SIGN_FILE=<exe> -DQX_SIGN_DESCRIPTION=<text> -DQX_OSSLSIGNCODE=<program>
#       -DQX_SIGN_...=<identity, as cmake/Signing.cmake names it> -P SignFile.cmake
# Signs the executable in place: Authenticode, SHA-256. The password is read by
# osslsigncode from its file and never appears on a command line. When signing fails the
# executable is removed, so that no unsigned file passes for a finished one.
set(args sign -h sha256 -n "${QX_SIGN_DESCRIPTION}" -i "http://www.arvendo.com")
if(QX_SIGN_PKCS12)
    list(APPEND args -pkcs12 "${QX_SIGN_PKCS12}")
else()
    list(APPEND args -certs "${QX_SIGN_CERT}" -key "${QX_SIGN_KEY}")
endif()
if(QX_SIGN_PASSWORD_FILE)
    list(APPEND args -readpass "${QX_SIGN_PASSWORD_FILE}")
endif()
if(QX_SIGN_TIMESTAMP_URL)
    list(APPEND args -ts "${QX_SIGN_TIMESTAMP_URL}")
endif()
if(NOT QX_SIGN_TIME STREQUAL "")
    list(APPEND args -time "${QX_SIGN_TIME}")
endif()
set(signed "${QX_SIGN_FILE}.signed")
file(REMOVE "${signed}")
execute_process(COMMAND "${QX_OSSLSIGNCODE}" ${args} -in "${QX_SIGN_FILE}" -out "${signed}"
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0 OR NOT EXISTS "${signed}")
    file(REMOVE "${QX_SIGN_FILE}" "${signed}")
    message(FATAL_ERROR "Signing ${QX_SIGN_FILE} failed:\n${output}")
endif()
file(RENAME "${signed}" "${QX_SIGN_FILE}")
