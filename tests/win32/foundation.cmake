# Start-up checks, message dialogs and the file and path helpers under Wine.
pentaro_win32_test(foundation_files_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/files_test.cpp)
pentaro_win32_test(foundation_dialogs_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/dialogs_test.cpp)
