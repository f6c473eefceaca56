# Host build: pure logic with ASan+UBSan, unit tests, fuzzer, and the driver of the
# Windows tests (run under Wine from the cross tree named by QX_WIN_BUILD).
set(QX_FUZZ_SECONDS 20 CACHE STRING "Seconds each fuzzer runs in the test run")
option(QX_SANITIZE "Build host code with ASan and UBSan" ON)
add_compile_options(-Wall -Wextra)
if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    add_compile_options(-fsanitize=fuzzer-no-link)
endif()
if(QX_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer -g)
    add_link_options(-fsanitize=address,undefined)
endif()
find_package(GTest REQUIRED)
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(QX_WIN_BUILD "" CACHE PATH "The cross build tree whose executables the Wine tests run")
set(QX_DIST_DIR ${CMAKE_SOURCE_DIR}/dist CACHE PATH "Where the finished executables are")
# The 64-bit twin of the cross build: tests only, never released.
set(QX_TWIN_BUILD "" CACHE PATH "The x86_64 cross build tree (the twin)")
set(QX_TWIN_DIST_DIR ${CMAKE_SOURCE_DIR}/dist-x64 CACHE PATH "Where the twin's executables are")
# Whether this host executes 32-bit x86 code (scripts/host.sh finds out): if not, every Wine
# test runs the twin under 64-bit Wine.
option(QX_HOST_I386 "The host runs 32-bit x86 programs" ON)
