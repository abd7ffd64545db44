# The windows through a screen reader's interface (oleacc) and the keyboard alone. The tests
# move the focus and activate windows on the shared display, so they run alone.
pentaro_win32_test(gui_accessibility_tests
                   SOURCES ${CMAKE_CURRENT_LIST_DIR}/accessibility_test.cpp
                           ${CMAKE_CURRENT_LIST_DIR}/gui_environment.cpp
                           ${CMAKE_SOURCE_DIR}/tests/win32/dialog_driver.cpp RESOURCES LABELS gui)
target_link_libraries(gui_accessibility_tests PRIVATE oleacc oleaut32)
set_tests_properties(gui_accessibility_tests PROPERTIES RUN_SERIAL TRUE)

# An oleacc.dll planted beside a program that asks for an accessible object.
pentaro_win32_test(gui_planted_oleacc_tests
                   SOURCES ${CMAKE_CURRENT_LIST_DIR}/planted_oleacc_test.cpp LABELS gui)
add_library(planted_oleacc SHARED ${CMAKE_SOURCE_DIR}/tests/win32/dll_probe.c)
set_target_properties(planted_oleacc PROPERTIES PREFIX "" OUTPUT_NAME oleacc
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/planted)
set_target_properties(gui_planted_oleacc_tests PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/planted)
add_dependencies(gui_planted_oleacc_tests planted_oleacc)
