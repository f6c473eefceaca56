# qx_sources(BOTH a.cpp ... WIN b.cpp ... HOST c.cpp ...)
# BOTH: pure logic, compiled into the product and into the host build.
# WIN:  code that calls Windows; only in the cross build.
# HOST: the host's stand-ins for a WIN seam (kept tiny).
function(qx_sources)
    cmake_parse_arguments(A "" "" "BOTH;WIN;HOST" ${ARGN})
    set(list ${A_BOTH})
    if(WIN32)
        list(APPEND list ${A_WIN})
    else()
        list(APPEND list ${A_HOST})
    endif()
    if(list)
        list(TRANSFORM list PREPEND ${CMAKE_CURRENT_SOURCE_DIR}/)
        target_sources(qxlib PRIVATE ${list})
    endif()
endfunction()
