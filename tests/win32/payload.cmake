# The payload loader against the resources really linked into a Win32 executable, and the
# stand-in product's Win32 print utility. Only for the stand-in product: with a maker's
# manifest the expected files are not known here.
if(NOT PENTARO_PAYLOAD_MANIFEST)
    pentaro_win32_test(payload_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/payload_test.cpp
                       RESOURCES LABELS payload)
    # The tests read the stand-in files through Wine's Z: drive (the root of the Linux
    # file system).
    string(REPLACE "/" "\\\\" standin_dir "Z:${PENTARO_STANDIN_DIR}")
    target_compile_definitions(payload_tests PRIVATE "PENTARO_STANDIN_DIR=\"${standin_dir}\"")
    add_dependencies(payload_tests pentaro_standins)
endif()

# pentaro-inspect and pentaro-pack (native) on the built installer, on broken and foreign
# files, and on bad manifests.
add_test(NAME payload_tools
    COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/payload_tools_test.sh
            ${PENTARO_INSPECT} ${PENTARO_PACK} $<TARGET_FILE:PentaroSetup>
            ${PENTARO_STANDIN_DIR} ${CMAKE_CURRENT_BINARY_DIR}/payload_tools
            $<TARGET_FILE:PentaroSetup-samename>)
set_tests_properties(payload_tools PROPERTIES LABELS "payload;native" TIMEOUT 120
    ENVIRONMENT "PENTARO_PAYLOAD_CHECK=${CMAKE_SOURCE_DIR}/cmake/payload_check.cmake")
if(PENTARO_PAYLOAD_MANIFEST)
    set_tests_properties(payload_tools PROPERTIES ENVIRONMENT
        "PENTARO_REAL_PRODUCT=1;PENTARO_PAYLOAD_CHECK=${CMAKE_SOURCE_DIR}/cmake/payload_check.cmake")
endif()

# The DOS stand-ins in DOSBox.
add_test(NAME payload_dos_standins
    COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/payload_dos_test.sh ${PENTARO_STANDIN_DIR}
            ${CMAKE_CURRENT_BINARY_DIR}/payload_dos)
set_tests_properties(payload_dos_standins PROPERTIES LABELS "payload;native" TIMEOUT 120)
