# The installation run in-process under Wine, through a recording front end. Only for the
# stand-in product, whose files the tests compare against.
if(NOT PENTARO_PAYLOAD_MANIFEST)
    string(REPLACE "/" "\\\\" run_standin_dir "Z:${PENTARO_STANDIN_DIR}")
    pentaro_win32_test(run_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/run_test.cpp RESOURCES
                       LABELS run)
    target_compile_definitions(run_tests PRIVATE "PENTARO_STANDIN_DIR=\"${run_standin_dir}\"")
    # Stripped as the installer is: the run writes the uninstaller from this program's own
    # image, whose resources a symbol table and debug sections after them keep from moving.
    target_link_options(run_tests PRIVATE -s)
    add_dependencies(run_tests pentaro_standins)

    # The same product with rs_hlp stored empty: a read error.
    pentaro_add_resources(run_resources_empty PAYLOAD_MANIFEST ${PENTARO_STANDIN_MANIFEST}
                          EMPTY_ITEM rs_hlp)
    pentaro_win32_test(run_damaged_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/run_damaged_test.cpp
                       LABELS run)
    target_link_libraries(run_damaged_tests PRIVATE run_resources_empty)

    # Wine sends files deleted through the shell to the freedesktop trash: keep it here.
    set_property(TEST run_tests APPEND PROPERTY ENVIRONMENT
                 XDG_DATA_HOME=${CMAKE_CURRENT_BINARY_DIR}/run-xdg)
endif()
