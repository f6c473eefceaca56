# One static library per layer. Each layer sees, besides the folders of the layers below it,
# only its own folder: its include root is a folder of links under <build>/layers that holds
# those folders (or single headers) and nothing else, so an include that reaches up a layer
# does not compile. The link graph states the same edges.
#
# qx_layer(<target> PATHS <folder or header, relative to the source root>... [LINKS <layer>...])
function(qx_layer target)
    cmake_parse_arguments(A "" "" "PATHS;LINKS" ${ARGN})
    set(root ${CMAKE_BINARY_DIR}/layers/${target})
    file(REMOVE_RECURSE ${root})
    foreach(path ${A_PATHS})
        get_filename_component(parent ${root}/${path} DIRECTORY)
        file(MAKE_DIRECTORY ${parent})
        file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${path} ${root}/${path} SYMBOLIC)
    endforeach()
    add_library(${target} STATIC)
    target_include_directories(${target} PUBLIC ${root})
    target_link_libraries(${target} PUBLIC ${A_LINKS})
    set_property(GLOBAL APPEND PROPERTY QX_LAYERS ${target})
endfunction()

# A layer with no sources in this tree (mulib on the host) still has to be a library.
function(qx_complete_layers)
    get_property(layers GLOBAL PROPERTY QX_LAYERS)
    set(empty ${CMAKE_BINARY_DIR}/layers/empty.cpp)
    file(WRITE ${empty} "// This layer has no sources in this tree.\n")
    foreach(layer ${layers})
        get_target_property(sources ${layer} SOURCES)
        if(NOT sources)
            target_sources(${layer} PRIVATE ${empty})
        endif()
    endforeach()
endfunction()

# qx_sources([LAYER <target>] BOTH a.cpp ... WIN b.cpp ... HOST c.cpp ...)
# BOTH: pure logic, compiled into the product and into the host build.
# WIN:  code that calls Windows; only in the cross build.
# HOST: the host's stand-ins for a WIN seam (kept tiny).
# Without LAYER the sources go to the layer of the folder they sit in.
function(qx_sources)
    cmake_parse_arguments(A "" "LAYER" "BOTH;WIN;HOST" ${ARGN})
    if(NOT A_LAYER)
        file(RELATIVE_PATH dir ${CMAKE_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
        set(A_LAYER ${QX_LAYER_OF_${dir}})
    endif()
    set(list ${A_BOTH})
    if(WIN32)
        list(APPEND list ${A_WIN})
    else()
        list(APPEND list ${A_HOST})
    endif()
    if(list)
        list(TRANSFORM list PREPEND ${CMAKE_CURRENT_SOURCE_DIR}/)
        target_sources(${A_LAYER} PRIVATE ${list})
    endif()
endfunction()
