# Fails the build when the standard library's whole string-instantiation object was linked
# into an installer after all (see app/exception_strings.cpp), naming the member that
# brought it in: instantiate that member there too.
#   cmake -DMAP=<link map> -P exception_strings_check.cmake
cmake_minimum_required(VERSION 3.25)
file(READ ${MAP} map)
string(REGEX MATCH "libstdc\\+\\+\\.a\\(cow-string-inst\\.o\\)\n[^\n]*" pulled "${map}")
if(pulled)
    string(REGEX REPLACE ".*\n[ \t]*" "" by "${pulled}")
    message(FATAL_ERROR "${MAP}: the library's string instantiations were linked, "
        "for ${by}; instantiate that member in app/exception_strings.cpp")
endif()
