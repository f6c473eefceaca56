# The package stream, resource "BINARY" 148 of the installer. The host tool mkpackage
# (tools/, its own project, built here with the host compiler) packs the product image by
# product/package.manifest (or the files QX_PRODUCT_DIR names, below); resources/package.rc
# embeds the result, which windres finds on the include path of installer.rc.
# Nothing in it depends on time or on the build folder.
include(ExternalProject)

set(QX_PACKAGE_DIR ${CMAKE_BINARY_DIR}/package)
set(QX_PACKAGE_FILE ${QX_PACKAGE_DIR}/quarnelix.pkg)   # the name resources/package.rc uses
set(QX_PACKAGE_LONGEST_NAME ${QX_PACKAGE_DIR}/longest-name.txt)   # for resource 150
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

# Which product files the installer carries. Both empty (the default): the product built
# from product/, packed by product/package.manifest. A release engineer who packs other,
# ready-made files names their folder, and the manifest if it is not <folder>/package.manifest
# (tools/README.md, "Building an installer for other product files").
set(QX_PRODUCT_DIR "" CACHE PATH
    "Folder of ready product files to pack instead of the product built from product/ (absolute)")
set(QX_PACKAGE_MANIFEST "" CACHE FILEPATH
    "Manifest of the files in QX_PRODUCT_DIR (absolute; empty: <QX_PRODUCT_DIR>/package.manifest)")

# qx_package(<manifest> <product image folder> [targets and files it is made of...])
# Called by product/CMakeLists.txt, where the product's programs are built. The cache
# variables above, when set, replace all three.
function(qx_package manifest image)
    set(deps ${ARGN})
    if(QX_PRODUCT_DIR OR QX_PACKAGE_MANIFEST)
        set(image ${QX_PRODUCT_DIR})
        set(manifest ${QX_PACKAGE_MANIFEST})
        if(NOT image)
            get_filename_component(image ${manifest} DIRECTORY)
        elseif(NOT manifest)
            set(manifest ${image}/package.manifest)
        endif()
        if(NOT IS_ABSOLUTE ${image} OR NOT IS_DIRECTORY ${image})
            message(FATAL_ERROR "QX_PRODUCT_DIR: '${image}' is not an absolute path of a folder")
        endif()
        if(NOT IS_ABSOLUTE ${manifest} OR NOT EXISTS ${manifest})
            message(FATAL_ERROR "QX_PACKAGE_MANIFEST: '${manifest}' is not an absolute path of a file")
        endif()
        # Any file of the folder may be listed: a change to one repacks, a file added or
        # removed reconfigures.
        file(GLOB_RECURSE deps CONFIGURE_DEPENDS LIST_DIRECTORIES false ${image}/*)
    endif()
    message(STATUS "Package: ${manifest}, files from ${image}")
    # Changes when the selection does, so that pointing the same build at other files
    # repacks even when those files are older than the package.
    file(CONFIGURE OUTPUT ${QX_PACKAGE_DIR}/selection.txt CONTENT "${manifest}\n${image}\n")
    add_custom_command(OUTPUT ${QX_PACKAGE_FILE} ${QX_PACKAGE_LONGEST_NAME}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${QX_PACKAGE_DIR}
        COMMAND ${QX_MKPACKAGE} ${manifest} ${image} ${QX_PACKAGE_FILE} ${QX_PACKAGE_LONGEST_NAME}
        DEPENDS qx_host_tools ${QX_MKPACKAGE} ${manifest} ${QX_PACKAGE_DIR}/selection.txt ${deps}
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
