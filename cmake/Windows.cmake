# Cross build: the product for 32-bit Windows.
# -fnon-call-exceptions lets a processor fault, redirected by the vectored handler,
# unwind through ordinary frames so destructors (rollback) still run.
add_compile_options(-fnon-call-exceptions -fasynchronous-unwind-tables
                    -Wall -Wextra -Wno-cast-function-type -Wno-missing-field-initializers)
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0501 WINVER=0x0501 _WIN32_IE=0x0600)
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
