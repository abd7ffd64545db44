# The self-drawn controls: pixels and mouse and keyboard behaviour under Wine.
pentaro_win32_test(gui_controls_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/controls_test.cpp
                   LABELS gui)
