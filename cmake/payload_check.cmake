# cmake -DINSPECT=<pentaro-inspect> -DEXE=<installer> -P payload_check.cmake
# Fails the build when an item of the packed installer does not load, naming it; quiet
# when every item loads.
execute_process(COMMAND ${INSPECT} test ${EXE}
                RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT result EQUAL 0)
    file(REMOVE ${EXE})
    message(FATAL_ERROR "${EXE}: an item of the payload does not load (pentaro-inspect test):\n${out}")
endif()
