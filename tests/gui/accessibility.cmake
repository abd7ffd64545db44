# The windows through a screen reader's interface (oleacc) and the keyboard alone. The tests
# move the focus and activate windows on the shared display, so they run alone.
pentaro_win32_test(gui_accessibility_tests
                   SOURCES ${CMAKE_CURRENT_LIST_DIR}/accessibility_test.cpp RESOURCES LABELS gui)
target_link_libraries(gui_accessibility_tests PRIVATE oleacc oleaut32)
set_tests_properties(gui_accessibility_tests PROPERTIES RUN_SERIAL TRUE)
