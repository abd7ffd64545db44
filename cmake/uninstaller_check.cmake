# cmake -DINSPECT=<pentaro-inspect> -DEXE=<installer> -P uninstaller_check.cmake
# Fails the build when the uninstaller that the installer writes (pentaro-inspect
# uninstaller: the installer's own image without its payload) carries a payload item or a
# resource the program does not read, or is larger than the installer's stub and 16 KB;
# quiet when it keeps that promise.
execute_process(COMMAND ${INSPECT} uninstaller ${EXE}
                RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT result EQUAL 0)
    file(REMOVE ${EXE})
    message(FATAL_ERROR "${EXE}: the uninstaller it writes breaks its promise "
                        "(pentaro-inspect uninstaller):\n${out}")
endif()
