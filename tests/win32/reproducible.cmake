# The installer does not depend on where it was built. ld orders sections by the names of
# the files they come from, so the link must take no input by a name that holds the source
# or the build folder (its map says which names it took); and neither the installer nor the
# delay-load libraries may hold either folder's path, as written or as the symbol name
# dlltool makes of it (every character but letters and digits as '_').
# Included by tests/win32/CMakeLists.txt, it adds the test; run with -P, it is the test.
if(NOT CMAKE_SCRIPT_MODE_FILE)
    add_test(NAME reproducible_build
        COMMAND ${CMAKE_COMMAND} -DMAP=${CMAKE_BINARY_DIR}/app/PentaroSetup.map
            "-DFILES=$<TARGET_FILE:PentaroSetup>|${PENTARO_DELAY_DIR}/libuser32.a"
            "-DFOLDERS=${CMAKE_SOURCE_DIR}|${CMAKE_BINARY_DIR}" -P ${CMAKE_CURRENT_LIST_FILE})
    set_tests_properties(reproducible_build PROPERTIES LABELS "native" TIMEOUT 60)
    return()
endif()

cmake_minimum_required(VERSION 3.25)
set(failures 0)
string(REPLACE "|" ";" FOLDERS "${FOLDERS}")
string(REPLACE "|" ";" FILES "${FILES}")
file(READ ${MAP} map)
foreach(folder ${FOLDERS})
    string(FIND "${map}" "${folder}/" at)
    if(NOT at EQUAL -1)
        string(SUBSTRING "${map}" ${at} 200 input)
        string(REGEX REPLACE "[\n(].*" "" input "${input}")
        message(SEND_ERROR "the link takes ${input} by its full name")
        math(EXPR failures "${failures} + 1")
    endif()
endforeach()
foreach(file ${FILES})
    file(READ ${file} bytes HEX)
    foreach(folder ${FOLDERS})
        string(REGEX REPLACE "[^A-Za-z0-9]" "_" label "${folder}")
        foreach(text "${folder}" "${label}")
            string(HEX "${text}" hex)
            string(FIND "${bytes}" "${hex}" at)
            if(NOT at EQUAL -1)
                message(SEND_ERROR "${file} holds \"${text}\"")
                math(EXPR failures "${failures} + 1")
            endif()
        endforeach()
    endforeach()
endforeach()
if(failures)
    message(FATAL_ERROR "${failures} check(s) failed")
endif()
