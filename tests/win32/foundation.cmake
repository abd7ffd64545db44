# Start-up checks, message dialogs and the file and path helpers under Wine.
pentaro_win32_test(foundation_files_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/files_test.cpp)
pentaro_win32_test(foundation_dialogs_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/dialogs_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/dialog_driver.cpp)
pentaro_win32_test(foundation_startup_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/startup_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/dialog_driver.cpp)

# The same start-up tests on a 64-bit Windows: DOSBox under "Program Files (x86)".
add_test(NAME foundation_startup_tests_win64
    COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/foundation_win64.sh
            $<TARGET_FILE:foundation_startup_tests>)
set_tests_properties(foundation_startup_tests_win64 PROPERTIES
    ENVIRONMENT "PENTARO_WINE_DIR=${PENTARO_WINE_DIR}" LABELS "win32" TIMEOUT 300)

# A DLL beside the program, and the program that must stop loading it.
add_library(foundation_dll_probe SHARED ${CMAKE_CURRENT_LIST_DIR}/dll_probe.c)
set_target_properties(foundation_dll_probe PROPERTIES PREFIX "")
pentaro_win32_test(foundation_dll_search_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/dll_search_test.cpp)
add_dependencies(foundation_dll_search_tests foundation_dll_probe)
