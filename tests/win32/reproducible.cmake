# The installer does not depend on where it was built: the delay-load import library that
# the build makes (cmake/delay_import_lib.cmake) is the same, byte for byte, made in two
# folders of different names and depths; the link takes no input by a name that holds the
# source or the build folder (ld orders sections by their files' names, so such a name
# would move code and imports by where the build lies); and the built installer holds
# neither folder's path, as written or as a symbol name made from it.
# Included by tests/win32/CMakeLists.txt, it adds the test; run with -P, it is the test.
if(NOT CMAKE_SCRIPT_MODE_FILE)
    add_test(NAME reproducible_build
        COMMAND ${CMAKE_COMMAND} -DNM=${PENTARO_NM} -DDLLTOOL=${PENTARO_DLLTOOL}
            -DIMPORT_LIB=${PENTARO_IMPORT_LIB_user32}
            -DMAKE_LIB=${CMAKE_SOURCE_DIR}/cmake/delay_import_lib.cmake
            -DWORK=${CMAKE_CURRENT_BINARY_DIR}/reproducible -DEXE=$<TARGET_FILE:PentaroSetup>
            -DMAP=${CMAKE_BINARY_DIR}/app/PentaroSetup.map
            -DFOLDERS=${CMAKE_SOURCE_DIR}|${CMAKE_BINARY_DIR} -P ${CMAKE_CURRENT_LIST_FILE})
    set_tests_properties(reproducible_build PROPERTIES LABELS "native" TIMEOUT 60)
    return()
endif()

cmake_minimum_required(VERSION 3.25)
set(failures 0)
file(REMOVE_RECURSE ${WORK})
set(one ${WORK}/a/libuser32.a)
set(other ${WORK}/a-folder-of-another-length/deeper/libuser32.a)
foreach(lib ${one} ${other})
    get_filename_component(dir ${lib} DIRECTORY)
    file(MAKE_DIRECTORY ${dir})
    execute_process(COMMAND ${CMAKE_COMMAND} -DNM=${NM} -DDLLTOOL=${DLLTOOL}
                        -DIMPORT_LIB=${IMPORT_LIB} -DDLL=user32 -DOUT=${lib} -P ${MAKE_LIB}
                    RESULT_VARIABLE failed)
    if(failed)
        message(FATAL_ERROR "cannot make ${lib}")
    endif()
endforeach()
file(SHA256 ${one} one_hash)
file(SHA256 ${other} other_hash)
if(NOT one_hash STREQUAL other_hash)
    message(SEND_ERROR "the delay-load library of user32 differs between two folders")
    math(EXPR failures "${failures} + 1")
endif()

string(REPLACE "|" ";" FOLDERS "${FOLDERS}")
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

# The paths as written, and as dlltool or a compiler makes a symbol name of them (every
# character but letters and digits as '_').
file(READ ${EXE} image HEX)
foreach(folder ${FOLDERS})
    string(REGEX REPLACE "[^A-Za-z0-9]" "_" label "${folder}")
    foreach(text "${folder}" "${label}")
        string(HEX "${text}" hex)
        string(FIND "${image}" "${hex}" at)
        if(NOT at EQUAL -1)
            message(SEND_ERROR "${EXE} holds \"${text}\"")
            math(EXPR failures "${failures} + 1")
        endif()
    endforeach()
endforeach()
if(failures)
    message(FATAL_ERROR "${failures} check(s) failed")
endif()
message(STATUS "reproducible: the delay-load library is the same in two folders; neither "
               "the link's inputs nor the installer name the source or the build folder")
