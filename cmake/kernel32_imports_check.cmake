# Fails the build when an installer imports a KERNEL32 function that is not in
# kernel32_xp.txt (the functions Windows XP's KERNEL32 has): on an older system than the
# function needs, the loader refuses to start the program at all, before any message of
# ours can explain.
#   cmake -DOBJDUMP=<objdump> -DEXE=<installer> -P kernel32_imports_check.cmake
cmake_minimum_required(VERSION 3.25)
execute_process(COMMAND ${OBJDUMP} -p ${EXE} OUTPUT_VARIABLE dump RESULT_VARIABLE status)
string(FIND "${dump}" "DLL Name: KERNEL32.dll" start)
if(NOT status EQUAL 0 OR start LESS 0)
    message(FATAL_ERROR "${EXE}: no KERNEL32 imports found")
endif()
string(SUBSTRING "${dump}" ${start} -1 dump)
# The table ends at the next DLL's name or at the end of the import tables.
string(REGEX REPLACE "^DLL Name: KERNEL32.dll(.*)$" "\\1" dump "${dump}")
string(REGEX REPLACE "\n[ \t]*\n.*$" "" dump "${dump}")
string(REGEX REPLACE "\tDLL Name:.*$" "" dump "${dump}")
string(REGEX MATCHALL "\n\t[0-9a-f]+\t +[0-9]+  [A-Za-z0-9_]+" rows "${dump}")
file(STRINGS ${CMAKE_CURRENT_LIST_DIR}/kernel32_xp.txt allowed REGEX "^[A-Za-z]")
set(unknown)
foreach(row ${rows})
    string(REGEX REPLACE ".*  " "" name "${row}")
    if(NOT name IN_LIST allowed)
        list(APPEND unknown ${name})
    endif()
endforeach()
list(LENGTH rows count)
if(count EQUAL 0)
    message(FATAL_ERROR "${EXE}: the KERNEL32 import table could not be read")
endif()
if(unknown)
    list(JOIN unknown ", " unknown)
    message(FATAL_ERROR "${EXE} imports from KERNEL32 what Windows XP may lack: ${unknown}. "
        "Look it up with tk::KernelExport (with a way for older systems), or add it to "
        "cmake/kernel32_xp.txt once its documentation says Windows XP has it.")
endif()
