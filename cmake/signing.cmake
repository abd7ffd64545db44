# Signing a release (docs/release.md, "Signing a release"). Configured with PENTARO_SIGN_PKCS12, the
# build signs the installer with scripts/sign as the last step of making it: after the
# payload is packed into it and the link is checked; a failed signing removes it
# (sign_installer.cmake). scripts/sign signs the uninstaller that the installer writes first,
# then the installer carrying that signature. Without these options the installer stays
# unsigned, byte for byte the file it was before they existed, and so does its uninstaller.
set(PENTARO_SIGN_PKCS12 "" CACHE FILEPATH
    "The maker's code-signing certificate, key and chain (PKCS #12); empty: no signature")
set(PENTARO_SIGN_PASSWORD_FILE "" CACHE FILEPATH
    "A file whose first line is the password of PENTARO_SIGN_PKCS12")
set(PENTARO_SIGN_TIMESTAMP "" CACHE STRING
    "RFC 3161 time-stamp servers, tried in turn (a list); empty: no time stamp")
set(PENTARO_SIGN_CA "" CACHE FILEPATH
    "Certificates to trust when checking the signature, beside the system's")

# pentaro_sign(<target>): signs <target>'s executable after each link of it, when the
# options ask for it. A change of the options, or of the files they name, links the
# target again, so that the file is always signed as configured (or not at all).
function(pentaro_sign target)
    set(stamp ${CMAKE_CURRENT_BINARY_DIR}/${target}.signing)
    file(CONFIGURE OUTPUT ${stamp} CONTENT "${PENTARO_SIGN_PKCS12}
${PENTARO_SIGN_PASSWORD_FILE}
${PENTARO_SIGN_TIMESTAMP}
${PENTARO_SIGN_CA}
" @ONLY)
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${stamp})
    if(NOT PENTARO_SIGN_PKCS12)
        return()
    endif()
    if(NOT PENTARO_SIGN_PASSWORD_FILE)
        message(FATAL_ERROR "PENTARO_SIGN_PKCS12 needs PENTARO_SIGN_PASSWORD_FILE, "
                            "a file whose first line is the certificate's password")
    endif()
    set(arguments --pkcs12 ${PENTARO_SIGN_PKCS12} --password-file ${PENTARO_SIGN_PASSWORD_FILE}
        --pack ${PENTARO_PACK})
    foreach(server ${PENTARO_SIGN_TIMESTAMP})
        list(APPEND arguments --timestamp ${server})
    endforeach()
    if(PENTARO_SIGN_CA)
        list(APPEND arguments --ca ${PENTARO_SIGN_CA})
    endif()
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS
                 ${PENTARO_SIGN_PKCS12} ${PENTARO_SIGN_PASSWORD_FILE} ${PENTARO_SIGN_CA})
    add_custom_command(TARGET ${target} POST_BUILD
        COMMAND ${CMAKE_COMMAND} -DSIGN=${CMAKE_SOURCE_DIR}/scripts/sign "-DARGS=${arguments}"
            -DEXE=$<TARGET_FILE:${target}> -P ${CMAKE_SOURCE_DIR}/cmake/sign_installer.cmake
        COMMENT "Signing $<TARGET_FILE_NAME:${target}>"
        VERBATIM)
endfunction()
