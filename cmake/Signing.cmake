# Authenticode signatures (osslsigncode, SHA-256) on uninst.exe and on the installer, and
# the release manifest SHA256SUMS next to the installer. The identity is named by file
# paths only, so neither the cache nor the commands the build echoes ever hold a secret.
# Each variable may also come from the environment variable of the same name, which then
# wins over the cache. Without an identity the executables stay unsigned, byte for byte
# what the build gave before. Included by each folder that signs (its variables are the
# folder's own).

set(qx_sign_vars QX_SIGN_PKCS12 QX_SIGN_CERT QX_SIGN_KEY QX_SIGN_PASSWORD_FILE
                 QX_SIGN_TIMESTAMP_URL QX_SIGN_TIME)
set(QX_SIGN_PKCS12 "" CACHE FILEPATH "PKCS#12 file of the code-signing identity (absolute)")
set(QX_SIGN_CERT "" CACHE FILEPATH "Code-signing certificate, chain included, PEM or DER (instead of QX_SIGN_PKCS12)")
set(QX_SIGN_KEY "" CACHE FILEPATH "Private key of QX_SIGN_CERT (absolute)")
set(QX_SIGN_PASSWORD_FILE "" CACHE FILEPATH "File holding the password of the PKCS#12 file or key (absolute)")
set(QX_SIGN_TIMESTAMP_URL "" CACHE STRING "RFC 3161 timestamp server (empty: no timestamp)")
set(QX_SIGN_TIME "" CACHE STRING "Signing time, seconds since 1970 (empty: the time of the build)")
foreach(var ${qx_sign_vars})
    if(DEFINED ENV{${var}})
        set_property(CACHE ${var} PROPERTY VALUE "$ENV{${var}}")
        set(${var} "$ENV{${var}}")
    endif()
endforeach()

set(qx_sign_args)
if(QX_SIGN_PKCS12 OR QX_SIGN_CERT OR QX_SIGN_KEY)
    if(QX_SIGN_PKCS12 AND (QX_SIGN_CERT OR QX_SIGN_KEY))
        message(FATAL_ERROR "Signing: give QX_SIGN_PKCS12 or QX_SIGN_CERT with QX_SIGN_KEY, not both")
    elseif(NOT QX_SIGN_PKCS12 AND NOT (QX_SIGN_CERT AND QX_SIGN_KEY))
        message(FATAL_ERROR "Signing: QX_SIGN_CERT and QX_SIGN_KEY go together")
    endif()
    # Private keys and passwords must not be kept where a commit or a shared build folder
    # could take them along.
    foreach(var QX_SIGN_PKCS12 QX_SIGN_CERT QX_SIGN_KEY QX_SIGN_PASSWORD_FILE)
        set(file "${${var}}")
        if(NOT file)
            continue()
        elseif(NOT IS_ABSOLUTE "${file}" OR NOT EXISTS "${file}" OR IS_DIRECTORY "${file}")
            message(FATAL_ERROR "Signing: ${var} '${file}' is not an absolute path of a file")
        endif()
        cmake_path(IS_PREFIX CMAKE_SOURCE_DIR "${file}" NORMALIZE in_source)
        cmake_path(IS_PREFIX CMAKE_BINARY_DIR "${file}" NORMALIZE in_build)
        if(NOT var STREQUAL "QX_SIGN_CERT" AND (in_source OR in_build))
            message(FATAL_ERROR "Signing: keep ${var} outside the source and build folders")
        endif()
    endforeach()
    if(NOT QX_SIGN_TIME MATCHES "^[0-9]*$")
        message(FATAL_ERROR "Signing: QX_SIGN_TIME '${QX_SIGN_TIME}' is not a number of seconds")
    endif()
    find_program(QX_OSSLSIGNCODE osslsigncode REQUIRED)
    # Handed to cmake/SignFile.cmake; a changed identity relinks and signs again.
    foreach(var ${qx_sign_vars})
        list(APPEND qx_sign_args "-D${var}=${${var}}")
    endforeach()
    list(APPEND qx_sign_args -DQX_OSSLSIGNCODE=${QX_OSSLSIGNCODE})
    get_property(told GLOBAL PROPERTY qx_sign_told)
    if(NOT told)
        set_property(GLOBAL PROPERTY qx_sign_told ON)
        message(STATUS "Signing: uninst.exe and the installer, with ${QX_SIGN_PKCS12}${QX_SIGN_CERT}")
    endif()
endif()
set(qx_sign_stamp ${CMAKE_BINARY_DIR}/signing.txt)
string(REPLACE ";" "\n" qx_sign_text "${qx_sign_args}")
file(CONFIGURE OUTPUT ${qx_sign_stamp} CONTENT "${qx_sign_text}\n")

# qx_sign(<target> <description>): signs the target's executable in place right after it
# is linked (before anything reads it), with the description Windows shows for it.
function(qx_sign target description)
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${qx_sign_stamp})
    if(NOT qx_sign_args)
        return()
    endif()
    foreach(var QX_SIGN_PKCS12 QX_SIGN_CERT QX_SIGN_KEY QX_SIGN_PASSWORD_FILE)
        if(${var})
            set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${${var}})
        endif()
    endforeach()
    add_custom_command(TARGET ${target} POST_BUILD
        COMMAND ${CMAKE_COMMAND} ${qx_sign_args} "-DQX_SIGN_DESCRIPTION=${description}"
                -DQX_SIGN_FILE=$<TARGET_FILE:${target}> -P ${CMAKE_SOURCE_DIR}/cmake/SignFile.cmake
        COMMENT "Signing ${target}"
        VERBATIM)
endfunction()

# qx_release_manifest(<target>): SHA256SUMS beside the target's executable, naming it as
# seen from the folder above (`dist/QuarnelixInstaller.exe`), so that `sha256sum -c
# dist/SHA256SUMS` checks the build's output from the project folder. Written after the
# signature, which it covers.
function(qx_release_manifest target)
    set(dir $<TARGET_FILE_DIR:${target}>)
    add_custom_command(TARGET ${target} POST_BUILD
        COMMAND ${CMAKE_COMMAND} -E chdir $<PATH:GET_PARENT_PATH,${dir}>
                ${CMAKE_COMMAND} -DQX_SUMS_FILES=$<PATH:GET_FILENAME,${dir}>/$<TARGET_FILE_NAME:${target}>
                -DQX_SUMS_OUT=${dir}/SHA256SUMS -P ${CMAKE_SOURCE_DIR}/cmake/WriteChecksums.cmake
        COMMENT "Writing SHA256SUMS"
        VERBATIM)
endfunction()
