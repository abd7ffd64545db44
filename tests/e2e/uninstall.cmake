# The Apps & Features entry and the uninstaller (tests/e2e/uninstall.py): installs, then
# uninstalls from the entry's command lines and through Wine's uninstaller, each scenario in
# a throw-away prefix of its own, all in one CTest entry.
add_test(NAME e2e_uninstall
    COMMAND /usr/bin/python3 ${CMAKE_CURRENT_LIST_DIR}/uninstall.py
        --driver $<TARGET_FILE:e2e_driver>
        --installer $<TARGET_FILE:PentaroSetup>
        --product ${PENTARO_STANDIN_DIR}
        --manifest ${PENTARO_STANDIN_MANIFEST}
        --screenshots ${PENTARO_SCREENSHOT_DIR}
        --work ${CMAKE_CURRENT_BINARY_DIR}/e2e-work/uninstall)
set_tests_properties(e2e_uninstall PROPERTIES
    ENVIRONMENT "PENTARO_WINE_DIR=${PENTARO_WINE_DIR}" LABELS "win32;e2e" TIMEOUT 300
    SKIP_RETURN_CODE 77)
