# The installer's icon read from the built executable by pefile and decoded by ImageMagick.
add_test(NAME gui_icon
         COMMAND /usr/bin/python3 ${CMAKE_CURRENT_LIST_DIR}/icon_test.py $<TARGET_FILE:PentaroSetup>
                 ${PENTARO_SCREENSHOT_DIR})
set_tests_properties(gui_icon PROPERTIES LABELS "gui;native" TIMEOUT 60)
