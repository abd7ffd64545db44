pentaro_win32_test(gui_progress_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/progress_test.cpp
                   ${CMAKE_CURRENT_LIST_DIR}/gui_environment.cpp
                   RESOURCES LABELS gui)
