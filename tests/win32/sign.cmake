# A release signed with scripts/sign (throw-away certificate and time-stamp authority):
# osslsigncode verify of the installer and of the uninstaller it writes, a changed byte,
# pentaro-inspect, the version resource. It leaves the signed installer and its uninstaller
# for the end-to-end install (tests/e2e/signed.cmake).
set(PENTARO_SIGNED_DIR ${CMAKE_CURRENT_BINARY_DIR}/sign CACHE INTERNAL
    "The signed installer and its throw-away certificates, made by the sign_installer test")
add_test(NAME sign_installer
    COMMAND /usr/bin/python3 ${CMAKE_CURRENT_LIST_DIR}/sign_test.py
        --installer $<TARGET_FILE:PentaroSetup> --inspect ${PENTARO_INSPECT}
        --pack ${PENTARO_PACK}
        --work ${PENTARO_SIGNED_DIR})
set_tests_properties(sign_installer PROPERTIES LABELS "payload;native;sign" TIMEOUT 120
    FIXTURES_SETUP signed_installer)
