# The installer's own icon, MAINICON in PentaroSetup.rc: drawn at build time by the native
# pentaro-icon (tools/icon_core.cpp) rather than kept as a binary file in the tree.
set(PENTARO_ICON ${CMAKE_CURRENT_BINARY_DIR}/PentaroSetup.ico CACHE INTERNAL "")
# The host tools' build is declared in payload.cmake, read after this file.
function(_pentaro_add_icon)
    add_custom_command(OUTPUT ${PENTARO_ICON}
        COMMAND ${PENTARO_ICON_MAKER} ${PENTARO_ICON}
        DEPENDS ${PENTARO_ICON_MAKER} pentaro_host_tools
        COMMENT "Drawing the installer's icon"
        VERBATIM)
    add_custom_target(pentaro_icon DEPENDS ${PENTARO_ICON})
    add_dependencies(pentaro_resources pentaro_icon)
    set_property(SOURCE PentaroSetup.rc APPEND PROPERTY OBJECT_DEPENDS ${PENTARO_ICON})
endfunction()
cmake_language(DEFER CALL _pentaro_add_icon)
