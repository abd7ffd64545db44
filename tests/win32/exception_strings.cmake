# The library's exceptions work in a program linked as the installers are, and the link
# check finds the library's string object left out there too.
add_executable(exception_strings_test ${CMAKE_CURRENT_LIST_DIR}/exception_strings_test.cpp
               $<TARGET_OBJECTS:pentaro_exception_strings>)
pentaro_installer_link(exception_strings_test)
target_link_options(exception_strings_test PRIVATE
    -Wl,-Map,${CMAKE_CURRENT_BINARY_DIR}/exception_strings_test.map)
add_custom_command(TARGET exception_strings_test POST_BUILD
    COMMAND ${CMAKE_COMMAND} -DMAP=${CMAKE_CURRENT_BINARY_DIR}/exception_strings_test.map
        -P ${CMAKE_SOURCE_DIR}/cmake/exception_strings_check.cmake
    VERBATIM)
add_test(NAME exception_strings COMMAND exception_strings_test)
set_tests_properties(exception_strings PROPERTIES
    ENVIRONMENT "${PENTARO_WINE_ENV}" LABELS "win32" TIMEOUT 60)
