# The package stream, resource "BINARY" 148 of the installer. The host tool mkpackage
# (tools/, its own project, built here with the host compiler) packs the product image by
# product/package.manifest; resources/package.rc embeds the result, which windres finds on
# the include path of installer.rc. Nothing in it depends on time or on the build folder.
include(ExternalProject)

set(QX_PACKAGE_DIR ${CMAKE_BINARY_DIR}/package)
set(QX_PACKAGE_FILE ${QX_PACKAGE_DIR}/quarnelix.pkg)   # the name resources/package.rc uses
set(qx_host_tools_dir ${CMAKE_BINARY_DIR}/host-tools)
set(QX_MKPACKAGE ${qx_host_tools_dir}/mkpackage)

# No toolchain file is passed on, so the tools get the host's compiler.
ExternalProject_Add(qx_host_tools
    SOURCE_DIR ${CMAKE_SOURCE_DIR}/tools
    BINARY_DIR ${qx_host_tools_dir}
    CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release
    BUILD_ALWAYS ON
    BUILD_BYPRODUCTS ${QX_MKPACKAGE}
    INSTALL_COMMAND ""
    LOG_CONFIGURE ON
    LOG_OUTPUT_ON_FAILURE ON)

# qx_package(<manifest> <product image folder> [targets and files it is made of...])
# Called by product/CMakeLists.txt, where the product's programs are built.
function(qx_package manifest image)
    add_custom_command(OUTPUT ${QX_PACKAGE_FILE}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${QX_PACKAGE_DIR}
        COMMAND ${QX_MKPACKAGE} ${manifest} ${image} ${QX_PACKAGE_FILE}
        DEPENDS qx_host_tools ${QX_MKPACKAGE} ${manifest} ${ARGN}
        COMMENT "Packing the product"
        VERBATIM)
    add_custom_target(qx_package ALL DEPENDS ${QX_PACKAGE_FILE})
endfunction()

# The installer target is made later (installer/), so it is joined to the package at the
# end of the top-level directory.
function(qx_embed_package)
    if(NOT TARGET QuarnelixInstaller OR NOT TARGET qx_package)
        message(FATAL_ERROR "Package.cmake: the installer or the package target is missing")
    endif()
    add_dependencies(QuarnelixInstaller qx_package)
    set(rc ${CMAKE_SOURCE_DIR}/resources/installer.rc)
    set_property(SOURCE ${rc} TARGET_DIRECTORY QuarnelixInstaller APPEND PROPERTY
                 INCLUDE_DIRECTORIES ${QX_PACKAGE_DIR})
    set_property(SOURCE ${rc} TARGET_DIRECTORY QuarnelixInstaller APPEND PROPERTY
                 OBJECT_DEPENDS ${QX_PACKAGE_FILE} ${CMAKE_SOURCE_DIR}/resources/package.rc)
endfunction()
cmake_language(DEFER CALL qx_embed_package)
