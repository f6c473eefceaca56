# zlib streams for the Windows tests of the resource loader (ZlibPayloads.rc): made by a
# script when the cross tree is configured, so the repository holds no binary blobs.
find_program(QX_PYTHON3 NAMES python3 REQUIRED)
set(qx_zlib_payload_dir ${CMAKE_BINARY_DIR}/tests/zlib-payloads)
execute_process(COMMAND ${QX_PYTHON3} ${CMAKE_CURRENT_LIST_DIR}/zlib_payloads.py ${qx_zlib_payload_dir}
                RESULT_VARIABLE qx_zlib_payload_rc)
if(NOT qx_zlib_payload_rc EQUAL 0)
    message(FATAL_ERROR "zlib_payloads.py failed (${qx_zlib_payload_rc})")
endif()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/zlib_payloads.py)

# win_tests is made later, by tests/; windres finds the payloads on its include path.
function(qx_attach_zlib_payloads dir)
    if(TARGET win_tests)
        target_include_directories(win_tests PRIVATE ${dir})
    endif()
endfunction()
# (A deferred call reads its arguments when it runs, so the path is written in now.)
cmake_language(EVAL CODE
    "cmake_language(DEFER DIRECTORY [[${CMAKE_SOURCE_DIR}]] CALL qx_attach_zlib_payloads [[${qx_zlib_payload_dir}]])")
