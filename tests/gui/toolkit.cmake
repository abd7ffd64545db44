pentaro_win32_test(gui_toolkit_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/toolkit_test.cpp LABELS gui)
