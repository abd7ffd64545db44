# The installer in surroundings it did not choose: a time zone with daylight saving, old
# files in the install folder, look-alike characters, links, damaged payloads
# (surroundings.py). Uses _e2e_variant and _e2e_scenario of e2e.cmake.
_e2e_variant(seasons PAYLOAD_MANIFEST ${PENTARO_STANDIN_SOURCE_DIR}/manifest-seasons.txt)
# rs_readme stored as TARNW.EXE, the file name of rs_cmd in other case.
_e2e_variant(samename PAYLOAD_MANIFEST ${PENTARO_STANDIN_MANIFEST} SAME_NAME_ITEM rs_readme)

set(surroundings_scenarios seasons lookalike_folder typed_folders same_file_name links
    replaced_installer)
foreach(scenario ${surroundings_scenarios})
    _e2e_scenario(surroundings.py ${scenario})
endforeach()
