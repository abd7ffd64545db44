# The installer imports only KERNEL32 and the C runtime when Windows starts it. Every
# other system DLL is delay-loaded: its first function call loads it, which the program
# entry lets happen only after it has restricted the DLL search to the system folder.
# Loaded at start, these DLLs would bring their own dependencies (version.dll,
# uxtheme.dll...) from the installer's folder first, where anyone can drop a DLL.
#
# pentaro_delay_imports(<target>): links <target> against delay-load import libraries
# made from mingw-w64's own, found before the ordinary ones (also for the libraries the
# compiler adds by itself), and checks after the link that no call thunk was dropped.
# The code must call these functions through their thunks, not through __imp_ pointers:
# the build defines DECLSPEC_IMPORT empty (see CMakeLists.txt).
set(PENTARO_DELAY_DLLS advapi32 authz comctl32 gdi32 ole32 oleaut32 shell32 user32)
set(PENTARO_DELAY_DIR ${CMAKE_BINARY_DIR}/delay-imports)
find_program(PENTARO_DLLTOOL ${PENTARO_TRIPLE}-dlltool REQUIRED)
find_program(PENTARO_NM ${PENTARO_TRIPLE}-nm REQUIRED)

set(delay_libs "")
foreach(dll ${PENTARO_DELAY_DLLS})
    find_library(PENTARO_IMPORT_LIB_${dll} ${dll} REQUIRED)
    set(lib ${PENTARO_DELAY_DIR}/lib${dll}.a)
    add_custom_command(OUTPUT ${lib}
        COMMAND ${CMAKE_COMMAND} -DNM=${PENTARO_NM} -DDLLTOOL=${PENTARO_DLLTOOL}
            -DIMPORT_LIB=${PENTARO_IMPORT_LIB_${dll}} -DDLL=${dll} -DOUT=${lib}
            -P ${CMAKE_CURRENT_LIST_DIR}/delay_import_lib.cmake
        DEPENDS ${PENTARO_IMPORT_LIB_${dll}} ${CMAKE_CURRENT_LIST_DIR}/delay_import_lib.cmake
        COMMENT "Making the delay-load import library of ${dll}.dll"
        VERBATIM)
    list(APPEND delay_libs ${lib})
endforeach()
add_custom_target(pentaro_delay_libs DEPENDS ${delay_libs})

function(pentaro_delay_imports target)
    add_dependencies(${target} pentaro_delay_libs)
    # Searched before the toolchain's own folder, so -luser32 finds the delay library. By a
    # name relative to the build folder, where Ninja runs the link: ld orders the import
    # sections by the names of the files they come from, so an absolute name would lay the
    # installer out differently by where the build lies (before or after /usr in the
    # alphabet). Other generators link elsewhere and get the absolute name.
    if(CMAKE_GENERATOR MATCHES "Ninja")
        file(RELATIVE_PATH delay_dir ${CMAKE_BINARY_DIR} ${PENTARO_DELAY_DIR})
        target_link_options(${target} PRIVATE -L${delay_dir})
    else()
        set(delay_dir ${PENTARO_DELAY_DIR})
        target_link_directories(${target} PRIVATE ${delay_dir})
    endif()
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${delay_libs})
    set(map ${CMAKE_CURRENT_BINARY_DIR}/${target}.map)
    target_link_options(${target} PRIVATE -Wl,-Map,${map})
    add_custom_command(TARGET ${target} POST_BUILD
        COMMAND ${CMAKE_COMMAND} -DMAP=${map} -DDELAY_DIR=${delay_dir}
            -P ${CMAKE_SOURCE_DIR}/cmake/delay_imports_check.cmake
        VERBATIM)
endfunction()
