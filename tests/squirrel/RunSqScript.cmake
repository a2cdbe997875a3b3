# Runs one conformance script through the sq interpreter and compares what it prints with its .out file.
#   cmake -DSQ=<sq> -DSCRIPT=<x.nut> -DWORK=<folder> -P RunSqScript.cmake
# Scripts that create files do so in WORK, a folder of their own, emptied before each run.
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
execute_process(COMMAND "${SQ}" "${SCRIPT}"
    WORKING_DIRECTORY "${WORK}"
    RESULT_VARIABLE status
    OUTPUT_VARIABLE printed
    ERROR_VARIABLE errors)
string(REGEX REPLACE "\\.nut$" ".out" expected_path "${SCRIPT}")
file(READ "${expected_path}" expected)
file(REMOVE_RECURSE "${WORK}")
if(NOT status EQUAL 0)
    message(FATAL_ERROR "sq exited with ${status}\n${errors}")
endif()
if(NOT printed STREQUAL expected)
    file(WRITE "${WORK}.printed" "${printed}")
    message(FATAL_ERROR "output differs from ${expected_path}; printed output kept in ${WORK}.printed\n${errors}")
endif()
