# Installs the help pages into an empty prefix and checks that every page of the source tree
# arrived unchanged where the installed program looks for them.
#   cmake -DBUILD=<build dir> -DSOURCE=<help dir> -DPREFIX=<empty dir> -DDATADIR=share -P ...
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND ${CMAKE_COMMAND} --install "${BUILD}" --prefix "${PREFIX}"
                        --component help
                RESULT_VARIABLE status OUTPUT_QUIET)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "installing the help pages into ${PREFIX} failed: ${status}")
endif()
file(GLOB pages RELATIVE "${SOURCE}" "${SOURCE}/*.html" "${SOURCE}/*.css")
list(LENGTH pages count)
if(count LESS 8)
    message(FATAL_ERROR "only ${count} help files in ${SOURCE}")
endif()
set(installed "${PREFIX}/${DATADIR}/tessel/help")
foreach(page ${pages})
    execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files "${SOURCE}/${page}"
                            "${installed}/${page}"
                    RESULT_VARIABLE different)
    if(NOT different EQUAL 0)
        message(FATAL_ERROR "${installed}/${page} is missing or differs from ${SOURCE}/${page}")
    endif()
endforeach()
message(STATUS "${count} help files installed in ${installed}")
