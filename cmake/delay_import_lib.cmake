# Makes a delay-load import library for one system DLL from mingw-w64's ordinary import
# library of it: every function it lists, so that whatever the installer calls is found.
#   cmake -DNM=... -DDLLTOOL=... -DIMPORT_LIB=libuser32.a -DDLL=user32 -DOUT=dir/libuser32.a
#         -P delay_import_lib.cmake
cmake_minimum_required(VERSION 3.25)
execute_process(COMMAND ${NM} ${IMPORT_LIB} OUTPUT_VARIABLE symbols RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "${NM} ${IMPORT_LIB} failed")
endif()
# A function has its import slot "__imp__Name@N" and its call thunk "_Name@N"; a slot
# without a thunk is exported data.
string(REGEX MATCHALL "[ \t]I __imp__[^\r\n]+" slots "${symbols}")
string(REGEX MATCHALL "[ \t]T _[^\r\n]+" thunks "${symbols}")
list(TRANSFORM thunks REPLACE "^[ \t]T _" "")
set(def "LIBRARY ${DLL}.dll\nEXPORTS\n")
set(seen "")
foreach(slot ${slots})
    string(REGEX REPLACE "^[ \t]I __imp__" "" name "${slot}")
    if(name IN_LIST seen)
        continue()
    endif()
    list(APPEND seen "${name}")
    if(name IN_LIST thunks)
        string(APPEND def "${name}\n")
    else()
        string(APPEND def "${name} DATA\n")
    endif()
endforeach()
get_filename_component(out_dir ${OUT} DIRECTORY)
get_filename_component(out_name ${OUT} NAME)
file(WRITE ${out_dir}/${DLL}.def "${def}")
# -k: the functions are imported by their plain names, as the DLL exports them. dlltool
# makes the library's symbol and member names from the output's name as given: run in the
# output's folder with a bare name, so that they (and with them the link's layout) do not
# depend on where the build lies.
execute_process(COMMAND ${DLLTOOL} -k --input-def ${DLL}.def --dllname ${DLL}.dll
                        --output-delaylib ${out_name}
                WORKING_DIRECTORY ${out_dir}
                RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "${DLLTOOL} could not make ${OUT}")
endif()
