# cmake -DINSPECT=<pentaro-inspect> -DEXE=<installer> -P payload_check.cmake
# Fails the build when an item of the packed installer does not load, or a payload item
# lies outside the catalogue, naming it; quiet when every item loads.
execute_process(COMMAND ${INSPECT} test ${EXE}
                RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT result EQUAL 0)
    file(REMOVE ${EXE})
    message(FATAL_ERROR "${EXE}: the payload is not what the installer installs (pentaro-inspect test):\n${out}")
endif()
