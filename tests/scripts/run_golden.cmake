# Runs one golden script through the console program and compares what it printed (standard
# output and standard error, merged in the order written) and its exit status with
# NAME.expected.
#
#   cmake -DCLI=tessel-cli -DSCRIPT=dir/NAME.sqv -DWORK=scratch-dir -P run_golden.cmake
#
# The script runs in a fresh WORK directory (its working directory, so that it can use
# relative names such as "dbMake test.mdb") with TESSEL_HOME=WORK/home. A first line
# "// args: OPTIONS" gives options for "tessel-cli run". Each line "// then: COMMAND ARGS" runs
# "tessel-cli COMMAND ARGS" after the script, in order (say "generate test.mdb"), its output
# following a line "$ tessel-cli COMMAND ARGS". WORK's path is shown as $WORK in the
# output, and CR LF as LF. With TESSEL_UPDATE_GOLDEN=1 in the environment, NAME.expected is
# written from the output instead of compared.
foreach(required CLI SCRIPT WORK)
    if(NOT DEFINED ${required})
        message(FATAL_ERROR "run_golden.cmake needs -D${required}=...")
    endif()
endforeach()

get_filename_component(name "${SCRIPT}" NAME_WE)
get_filename_component(source_dir "${SCRIPT}" DIRECTORY)
set(expected_file "${source_dir}/${name}.expected")

file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
file(COPY "${SCRIPT}" DESTINATION "${WORK}")

set(options "")
file(STRINGS "${SCRIPT}" first_line LIMIT_COUNT 1)
if(first_line MATCHES "^// args: *([^\r]*)")
    separate_arguments(options UNIX_COMMAND "${CMAKE_MATCH_1}")
endif()

set(ENV{TESSEL_HOME} "${WORK}/home")
execute_process(
    COMMAND "${CLI}" run ${options} "${name}.sqv"
    WORKING_DIRECTORY "${WORK}"
    OUTPUT_VARIABLE output
    ERROR_VARIABLE output
    RESULT_VARIABLE status)

file(STRINGS "${SCRIPT}" then_lines REGEX "^// then: ")
foreach(then_line ${then_lines})
    string(REGEX REPLACE "^// then: *([^\r]*)" "\\1" then_command "${then_line}")
    separate_arguments(then_arguments UNIX_COMMAND "${then_command}")
    execute_process(
        COMMAND "${CLI}" ${then_arguments}
        WORKING_DIRECTORY "${WORK}"
        OUTPUT_VARIABLE then_output
        ERROR_VARIABLE then_output
        RESULT_VARIABLE then_status)
    string(APPEND output "[exit ${status}]\n$ tessel-cli ${then_command}\n${then_output}")
    set(status ${then_status})
endforeach()

string(REPLACE "\r\n" "\n" output "${output}")
string(REPLACE "${WORK}" "$WORK" output "${output}")
set(actual "${output}[exit ${status}]\n")

if("$ENV{TESSEL_UPDATE_GOLDEN}" STREQUAL "1")
    file(WRITE "${expected_file}" "${actual}")
    message(STATUS "wrote ${expected_file}")
    return()
endif()

if(NOT EXISTS "${expected_file}")
    file(WRITE "${WORK}/actual.txt" "${actual}")
    message(FATAL_ERROR "${expected_file} is missing; this run printed:\n${actual}")
endif()
file(READ "${expected_file}" expected)
string(REPLACE "\r\n" "\n" expected "${expected}")
if(NOT actual STREQUAL expected)
    file(WRITE "${WORK}/actual.txt" "${actual}")
    message(FATAL_ERROR "${name}: the output differs from ${name}.expected\n"
                        "--- expected\n${expected}--- actual (also in ${WORK}/actual.txt)\n${actual}")
endif()
