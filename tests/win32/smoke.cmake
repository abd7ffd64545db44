pentaro_win32_test(win32_smoke_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/smoke_test.cpp)
