# Cross build: the product for 32-bit Windows.
# -fnon-call-exceptions lets a processor fault, redirected by the vectored handler,
# unwind through ordinary frames so destructors (rollback) still run.
add_compile_options(-fnon-call-exceptions -fasynchronous-unwind-tables
                    -Wall -Wextra -Wno-cast-function-type -Wno-missing-field-initializers)
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0501 WINVER=0x0501 _WIN32_IE=0x0600)
# System functions declared without dllimport are called through the import library's stub,
# which a delay-load library (qx_delay_load, below) replaces; with dllimport GNU ld leaves a
# 32-bit program's delay-load table empty and the first call jumps to address 0.
add_compile_definitions(DECLSPEC_IMPORT=)
# Static runtime (no libgcc/libstdc++/winpthread DLLs) and no link timestamp (reproducible).
add_link_options(-static -static-libgcc -static-libstdc++ -Wl,--no-insert-timestamp -s)
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -O coff")
enable_language(RC)

set(QX_DIST_DIR ${CMAKE_SOURCE_DIR}/dist CACHE PATH "Where the finished executables go")

set(QX_SYSTEM_LIBS kernel32 user32 gdi32 advapi32 shell32 ole32 uuid comctl32 comdlg32)

# GoogleTest from Debian's sources, cross-compiled.
set(QX_GTEST_SRC /usr/src/googletest CACHE PATH "GoogleTest sources")
if(EXISTS ${QX_GTEST_SRC}/CMakeLists.txt)
    set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    add_subdirectory(${QX_GTEST_SRC} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
endif()

# The product package embedded as resource "BINARY" 148.
include(${CMAKE_CURRENT_LIST_DIR}/Package.cmake)

# Import libraries whose DLL is loaded at the first call (delay-load), made at configure time
# from MinGW's own import libraries: qx_delay_load(<target> <dll>...) links the target with
# them instead of the plain ones. The installer takes its window, shell and COM libraries this
# way: an unattended run needs none of them before the package is unpacked, and under Wine
# they add some 13 MiB to the working set from the moment they are loaded.
set(QX_DELAY_IMPORT_DIR ${CMAKE_BINARY_DIR}/delay-import)
function(qx_delay_load target)
    file(MAKE_DIRECTORY ${QX_DELAY_IMPORT_DIR})
    foreach(dll ${ARGN})
        if(NOT EXISTS ${QX_DELAY_IMPORT_DIR}/lib${dll}.a)
            find_library(qx_import_${dll} NAMES lib${dll}.a REQUIRED NO_CACHE)
            execute_process(COMMAND ${CMAKE_NM} ${qx_import_${dll}} OUTPUT_VARIABLE symbols COMMAND_ERROR_IS_FATAL ANY)
            # Every import of the library: "<address> I __imp__<Name>@<bytes>" on i686, where
            # C names carry a leading underscore; "<address> I __imp_<Name>" on x86_64.
            if(CMAKE_SIZEOF_VOID_P EQUAL 8)
                set(imp " I __imp_")
            else()
                set(imp " I __imp__")
            endif()
            string(REGEX MATCHALL "${imp}[^\n]+" imports "${symbols}")
            list(TRANSFORM imports REPLACE "${imp}" "")
            list(REMOVE_DUPLICATES imports)
            list(SORT imports)
            list(JOIN imports "\n" exports)
            file(WRITE ${QX_DELAY_IMPORT_DIR}/${dll}.def "LIBRARY ${dll}.dll\nEXPORTS\n${exports}\n")
            # A relative output name: dlltool names its members and symbols after it.
            execute_process(COMMAND ${CMAKE_DLLTOOL} --kill-at --input-def ${dll}.def --dllname ${dll}.dll
                                    --output-delaylib lib${dll}.a.tmp
                            WORKING_DIRECTORY ${QX_DELAY_IMPORT_DIR} COMMAND_ERROR_IS_FATAL ANY)
            file(RENAME ${QX_DELAY_IMPORT_DIR}/lib${dll}.a.tmp ${QX_DELAY_IMPORT_DIR}/lib${dll}.a)
        endif()
    endforeach()
    # Searched before the system's folder, these stand in for the import libraries of the
    # same names that the library's link line names; the helper that loads a DLL comes last.
    # Named relative to the folder the link runs in: ld orders import sections by the path of
    # their archive, and an absolute path would sort before or after the system's libraries
    # depending on where the build folder is.
    file(RELATIVE_PATH relative ${CMAKE_CURRENT_BINARY_DIR} ${QX_DELAY_IMPORT_DIR})
    target_link_options(${target} BEFORE PRIVATE "-L${relative}")
    target_link_libraries(${target} PRIVATE ${QX_SYSTEM_LIBS} delayimp)
endfunction()
