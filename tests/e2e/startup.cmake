# The installer's start-up end to end: PentaroSetup.exe in throw-away 32-bit and 64-bit
# prefixes under Xvfb, with a recorder standing in for the web browser.
add_executable(e2e_url_recorder WIN32 ${CMAKE_CURRENT_LIST_DIR}/url_recorder.c)
add_test(NAME e2e_startup
    COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/startup.sh $<TARGET_FILE:PentaroSetup>
            $<TARGET_FILE:e2e_url_recorder>)
# It answers the windows with real X key events, which can reach the Wine desktop of a test
# running beside it, where Enter and Escape press buttons: it runs alone.
set_tests_properties(e2e_startup PROPERTIES
    ENVIRONMENT "PENTARO_WINE_DIR=${PENTARO_WINE_DIR}" LABELS "win32;e2e" TIMEOUT 600
    RUN_SERIAL TRUE)
