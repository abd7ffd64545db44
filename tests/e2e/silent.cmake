# Unattended installs (/S): the real installer started and watched by the scripted user in
# fresh prefixes (tests/e2e/silent.py), one CTest entry per capability.
enable_language(RC)
add_executable(e2e_staging_standin WIN32 ${CMAKE_CURRENT_LIST_DIR}/staging_standin.c
    ${CMAKE_CURRENT_LIST_DIR}/staging_standin.rc)
set(e2e_silent_scenarios silent_install32 silent_install64 silent_dosbox_builds silent_refusals
    silent_write_faults silent_second_instance silent_as_administrators_write_it)
foreach(scenario ${e2e_silent_scenarios})
    add_test(NAME e2e_${scenario}
        COMMAND /usr/bin/python3 ${CMAKE_CURRENT_LIST_DIR}/silent.py ${scenario}
            --driver $<TARGET_FILE:e2e_driver>
            --installer $<TARGET_FILE:PentaroSetup>
            --variants $<TARGET_FILE_DIR:PentaroSetup-corrupt>
            --product ${PENTARO_STANDIN_DIR}
            --manifest ${PENTARO_STANDIN_MANIFEST}
            --template ${CMAKE_SOURCE_DIR}/resources/dosbox-0.74.conf
            --recorder $<TARGET_FILE:e2e_url_recorder>
            --staging $<TARGET_FILE:e2e_staging_standin>
            --work ${CMAKE_CURRENT_BINARY_DIR}/e2e-work/${scenario})
    set_tests_properties(e2e_${scenario} PROPERTIES
        ENVIRONMENT "PENTARO_WINE_DIR=${PENTARO_WINE_DIR}" LABELS "win32;e2e" TIMEOUT 240
        SKIP_RETURN_CODE 77)
endforeach()
# Its screenshot reads the shared X display, where another test's Wine desktop could lie on top.
set_tests_properties(e2e_silent_as_administrators_write_it PROPERTIES RUN_SERIAL TRUE)
# Five fresh 64-bit prefixes, one for each place a DOSBox build installs itself.
set_tests_properties(e2e_silent_dosbox_builds PROPERTIES TIMEOUT 600)
