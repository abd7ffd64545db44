# The self-drawn controls: pixels and mouse and keyboard behaviour under Wine, and the
# gallery, whose screenshot is for the eye. Both move the pointer and the focus on the
# shared display, so they run alone.
pentaro_win32_test(gui_controls_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/controls_test.cpp
                   LABELS gui)
set_tests_properties(gui_controls_tests PROPERTIES RUN_SERIAL TRUE)

add_executable(controls_gallery WIN32 ${CMAKE_CURRENT_LIST_DIR}/gallery.cpp)
target_link_libraries(controls_gallery PRIVATE pentaro_win)
add_test(NAME gui_controls_gallery
         COMMAND ${CMAKE_CURRENT_LIST_DIR}/gallery.sh $<TARGET_FILE:controls_gallery>
                 ${CMAKE_BINARY_DIR}/../screenshots/gallery.png)
set_tests_properties(gui_controls_gallery PROPERTIES
    ENVIRONMENT "${PENTARO_WINE_ENV}" LABELS "win32;gui" TIMEOUT 120 RUN_SERIAL TRUE)
