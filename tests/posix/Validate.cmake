# cmake -DTOOL=<program> -DPACKAGE=<Debian package> [-DARGS=<a;b>] -DFILE=<file> -P Validate.cmake
# Runs the validator on the file; any complaint fails. Prints "SKIPPED:" without the tool.
find_program(_tool ${TOOL})
if(NOT _tool)
    message("SKIPPED: ${TOOL} not found; install the Debian package ${PACKAGE}")
    return()
endif()
execute_process(COMMAND ${_tool} ${ARGS} ${FILE}
    RESULT_VARIABLE _result OUTPUT_VARIABLE _output ERROR_VARIABLE _output)
message("${_output}")
if(NOT _result EQUAL 0)
    message(FATAL_ERROR "${TOOL} rejects ${FILE}")
endif()
