# Keeps the folders of src/core in their layers: a file may include headers of its own folder
# and of lower folders only, so that no include cycle can form between folders.
#
#   cmake -DCORE=path/to/src/core -P check_include_order.cmake
#
# Folders, lowest first: base db session script files generate maintenance. core/ui.h, the one
# interface to the person, may be included from any folder. Inside db, the Jet dialect
# (db/jetsql) and SQLite's owner types (db/sqlite) are shared by every driver and so may not
# include db/drivers/ or db/vtab/. Every offending include is reported with its file, line and
# the rule it breaks.
if(NOT DEFINED CORE)
    message(FATAL_ERROR "check_include_order.cmake needs -DCORE=path/to/src/core")
endif()
get_filename_component(core "${CORE}" ABSOLUTE)
if(NOT IS_DIRECTORY "${core}")
    message(FATAL_ERROR "no directory ${core}")
endif()

set(layers base db session script files generate maintenance)
string(REPLACE ";" " < " layer_order "${layers}")
set(shared_within_db db/jetsql/ db/sqlite/)
set(drivers_within_db db/drivers/ db/vtab/)

# Prints "LAYER" for a path relative to core, or "" when it lies in no known folder.
function(layer_of relative out)
    set(${out} "" PARENT_SCOPE)
    if(relative MATCHES "^([^/]+)/")
        list(FIND layers "${CMAKE_MATCH_1}" rank)
        if(rank GREATER -1)
            set(${out} "${CMAKE_MATCH_1}" PARENT_SCOPE)
        endif()
    endif()
endfunction()

function(starts_with_any text prefixes out)
    set(${out} FALSE PARENT_SCOPE)
    foreach(prefix ${prefixes})
        string(FIND "${text}" "${prefix}" at)
        if(at EQUAL 0)
            set(${out} TRUE PARENT_SCOPE)
        endif()
    endforeach()
endfunction()

# The 1-based line of `line_text` in `file`, for the report.
function(line_number file line_text out)
    file(READ "${file}" content)
    string(FIND "${content}" "${line_text}" at)
    set(number "?")
    if(at GREATER -1)
        string(SUBSTRING "${content}" 0 ${at} before)
        string(REGEX MATCHALL "\n" breaks "${before}")
        list(LENGTH breaks number)
        math(EXPR number "${number} + 1")
    endif()
    set(${out} ${number} PARENT_SCOPE)
endfunction()

file(GLOB_RECURSE sources RELATIVE "${core}" "${core}/*.h" "${core}/*.hpp" "${core}/*.cpp"
     "${core}/*.cc" "${core}/*.inl")
list(SORT sources)
set(problems "")
set(checked_includes 0)

foreach(source ${sources})
    set(path "${core}/${source}")
    get_filename_component(source_dir "${source}" DIRECTORY)
    layer_of("${source}" source_layer)
    if(source STREQUAL "ui.h")
        continue()
    endif()
    if(source_layer STREQUAL "")
        string(APPEND problems
               "src/core/${source}: lies in no layer folder; the folders are ${layer_order} "
               "(only ui.h may stand directly in src/core)\n")
        continue()
    endif()
    list(FIND layers "${source_layer}" source_rank)

    file(STRINGS "${path}" include_lines REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<]")
    foreach(include_line ${include_lines})
        if(NOT include_line MATCHES "^[ \t]*#[ \t]*include[ \t]*([\"<])([^\">]+)[\">]")
            continue()
        endif()
        set(quote "${CMAKE_MATCH_1}")
        set(included "${CMAKE_MATCH_2}")
        # The core header it names, relative to core; other headers are not layered here.
        set(target "")
        if(included MATCHES "^core/(.*)$")
            set(target "${CMAKE_MATCH_1}")
        elseif(quote STREQUAL "\"" AND EXISTS "${core}/${source_dir}/${included}")
            get_filename_component(resolved "${core}/${source_dir}/${included}" ABSOLUTE)
            file(RELATIVE_PATH target "${core}" "${resolved}")
        endif()
        if(target STREQUAL "" OR target MATCHES "^\\.\\./")
            continue()
        endif()
        math(EXPR checked_includes "${checked_includes} + 1")
        if(target STREQUAL "ui.h")
            continue()
        endif()

        set(rule "")
        layer_of("${target}" target_layer)
        if(target_layer STREQUAL "")
            set(rule "it names no header of a layer folder (${layer_order}, or core/ui.h)")
        else()
            list(FIND layers "${target_layer}" target_rank)
            if(target_rank GREATER source_rank)
                list(SUBLIST layers 0 ${source_rank} lower)
                if(lower)
                    string(REPLACE ";" ", " lower "${lower}")
                else()
                    set(lower "none")
                endif()
                string(CONCAT rule
                       "a file in ${source_layer} may include only headers of ${source_layer} "
                       "and of lower folders (${lower}), and core/ui.h; the order, lowest "
                       "first, is ${layer_order}")
            endif()
        endif()
        starts_with_any("${source}" "${shared_within_db}" source_shared)
        starts_with_any("${target}" "${drivers_within_db}" target_driver)
        if(source_shared AND target_driver)
            string(CONCAT rule "db/jetsql and db/sqlite are shared by every driver and may not "
                   "include db/drivers/ or db/vtab/")
        endif()
        if(NOT rule STREQUAL "")
            string(STRIP "${include_line}" shown)
            line_number("${path}" "${include_line}" line)
            string(APPEND problems "src/core/${source}:${line}: ${shown}: ${rule}\n")
        endif()
    endforeach()
endforeach()

list(LENGTH sources file_count)
if(checked_includes EQUAL 0)
    message(FATAL_ERROR "no includes of core headers found under ${core}: wrong directory?")
endif()
if(NOT problems STREQUAL "")
    message(FATAL_ERROR "Includes that break the layers of src/core:\n${problems}")
endif()
message(STATUS "layers of src/core kept: ${file_count} files, ${checked_includes} includes of "
               "core headers checked")
