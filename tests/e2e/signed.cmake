# The signed release (made by the sign_installer test) installs unattended; the uninstaller
# it leaves is signed too.
add_test(NAME e2e_silent_signed
    COMMAND /usr/bin/python3 ${CMAKE_CURRENT_LIST_DIR}/signed.py
        --driver $<TARGET_FILE:e2e_driver>
        --signed ${PENTARO_SIGNED_DIR}
        --product ${PENTARO_STANDIN_DIR}
        --manifest ${PENTARO_STANDIN_MANIFEST}
        --work ${CMAKE_CURRENT_BINARY_DIR}/e2e-work/silent_signed)
set_tests_properties(e2e_silent_signed PROPERTIES
    ENVIRONMENT "PENTARO_WINE_DIR=${PENTARO_WINE_DIR}" LABELS "win32;e2e;sign" TIMEOUT 180
    SKIP_RETURN_CODE 77 FIXTURES_REQUIRED signed_installer)
