# The installer in surroundings it did not choose: a time zone with daylight saving, old
# files in the install folder, look-alike characters, links, damaged payloads
# (surroundings.py). Uses _e2e_variant of e2e.cmake.
_e2e_variant(seasons PAYLOAD_MANIFEST ${PENTARO_STANDIN_SOURCE_DIR}/manifest-seasons.txt)
# rs_readme stored as TARNW.EXE, the file name of rs_cmd in other case.
_e2e_variant(samename PAYLOAD_MANIFEST ${PENTARO_STANDIN_MANIFEST} SAME_NAME_ITEM rs_readme)

set(surroundings_scenarios seasons lookalike_folder typed_folders same_file_name links)
foreach(scenario ${surroundings_scenarios})
    add_test(NAME e2e_${scenario}
        COMMAND /usr/bin/python3 ${CMAKE_CURRENT_LIST_DIR}/surroundings.py ${scenario}
            --driver $<TARGET_FILE:e2e_driver>
            --installer $<TARGET_FILE:PentaroSetup>
            --variants $<TARGET_FILE_DIR:PentaroSetup-seasons>
            --product ${PENTARO_STANDIN_DIR}
            --manifest ${PENTARO_STANDIN_MANIFEST}
            --big-manifest ${PENTARO_BIG_PAYLOAD_MANIFEST}
            --template ${CMAKE_SOURCE_DIR}/resources/dosbox-0.74.conf
            --screenshots ${PENTARO_SCREENSHOT_DIR}
            --work ${CMAKE_CURRENT_BINARY_DIR}/e2e-work/${scenario})
    set_tests_properties(e2e_${scenario} PROPERTIES
        ENVIRONMENT "PENTARO_WINE_DIR=${PENTARO_WINE_DIR}" LABELS "win32;e2e" TIMEOUT 180
        SKIP_RETURN_CODE 77)
endforeach()
