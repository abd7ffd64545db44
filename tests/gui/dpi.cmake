# Both windows and the dialogs at display scales of 125 %, 150 % and 200 %: one test
# executable, run in a Wine prefix and on an X display of its own for each scale (dpi.sh).
add_executable(gui_dpi_tests ${CMAKE_CURRENT_LIST_DIR}/dpi_test.cpp
               ${CMAKE_CURRENT_LIST_DIR}/gui_environment.cpp)
target_link_libraries(gui_dpi_tests PRIVATE pentaro_test_main pentaro_resources)
foreach(dpi 120 144 192)
    add_test(NAME gui_dpi_${dpi}
             COMMAND ${CMAKE_CURRENT_LIST_DIR}/dpi.sh ${dpi} $<TARGET_FILE:gui_dpi_tests>)
    set_tests_properties(gui_dpi_${dpi} PROPERTIES
        ENVIRONMENT "${PENTARO_WINE_ENV}" LABELS "win32;gui" TIMEOUT 300)
endforeach()
