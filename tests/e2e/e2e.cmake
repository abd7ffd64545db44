# End-to-end tests: the real installer under Wine in fresh prefixes, driven by a scripted
# user (driver.exe) and checked from the Linux side (scenarios.py).

# The scripted user: a console program run in the installer's prefix.
add_executable(e2e_driver ${CMAKE_CURRENT_LIST_DIR}/driver.cpp)
target_link_libraries(e2e_driver PRIVATE shell32)
set_target_properties(e2e_driver PROPERTIES OUTPUT_NAME driver)

# Installers with other payloads, from the same program entry as PentaroSetup.exe.
# big: a 48 MB knowledge base, so that the write pass lasts; corrupt: rs_kdb2's zlib body
# damaged (its load raises "Error"); empty: rs_hlp stored without contents (a read error).
function(_e2e_variant name)
    pentaro_add_resources(e2e_resources_${name} ${ARGN})
    pentaro_installer_executable(PentaroSetup-${name} e2e_resources_${name})
endfunction()
_e2e_variant(big PAYLOAD_MANIFEST ${PENTARO_BIG_PAYLOAD_MANIFEST})
_e2e_variant(corrupt PAYLOAD_MANIFEST ${PENTARO_STANDIN_MANIFEST} CORRUPT_ITEM rs_kdb2)
_e2e_variant(empty PAYLOAD_MANIFEST ${PENTARO_STANDIN_MANIFEST} EMPTY_ITEM rs_hlp)

# One CTest entry per scenario, each in a prefix of its own under e2e-work/<scenario>, so
# that they run side by side. The scenario that takes the page screenshots runs alone: a
# screenshot reads the shared X display, where another test's Wine desktop could lie on top.
set(e2e_scenarios install32_shortcut install32_dpi144 install32_no_shortcut install32_sibling
    install32_menu
    install64_dosbox install64_without_dosbox cancel corrupt_item empty_item drive_check
    write_errors disk_full keyboard_only)
# _e2e_scenario(<script> <scenario>): the CTest entry e2e_<scenario>, which runs that scenario
# of <script> (scenarios.py, or a script that adds scenarios to it) on the real installer.
function(_e2e_scenario script scenario)
    add_test(NAME e2e_${scenario}
        COMMAND /usr/bin/python3 ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/${script} ${scenario}
            --driver $<TARGET_FILE:e2e_driver>
            --installer $<TARGET_FILE:PentaroSetup>
            --variants $<TARGET_FILE_DIR:PentaroSetup-big>
            --product ${PENTARO_STANDIN_DIR}
            --manifest ${PENTARO_STANDIN_MANIFEST}
            --big-manifest ${PENTARO_BIG_PAYLOAD_MANIFEST}
            --template ${CMAKE_SOURCE_DIR}/resources/dosbox-0.74.conf
            --screenshots ${PENTARO_SCREENSHOT_DIR}
            --work ${CMAKE_CURRENT_BINARY_DIR}/e2e-work/${scenario})
    set_tests_properties(e2e_${scenario} PROPERTIES
        ENVIRONMENT "PENTARO_WINE_DIR=${PENTARO_WINE_DIR}" LABELS "win32;e2e" TIMEOUT 180
        SKIP_RETURN_CODE 77)
endfunction()
foreach(scenario ${e2e_scenarios})
    _e2e_scenario(scenarios.py ${scenario})
endforeach()
set_tests_properties(e2e_install32_shortcut e2e_install32_dpi144 e2e_cancel PROPERTIES
    RUN_SERIAL TRUE)

# The benchmark of the whole installer beside NSIS (tests/bench/install_bench.py): printed
# table and ratios, no timed assertion. It runs alone so that the timings are its own.
_e2e_variant(mixed PAYLOAD_MANIFEST ${PENTARO_MIXED_PAYLOAD_MANIFEST})
add_executable(bench_minimal_window WIN32 ${CMAKE_SOURCE_DIR}/tests/bench/minimal_window.cpp)
add_executable(bench_plain_copy ${CMAKE_SOURCE_DIR}/tests/bench/plain_copy.cpp)
add_executable(bench_inflate_floor ${CMAKE_SOURCE_DIR}/tests/bench/inflate_floor.cpp)
target_link_libraries(bench_inflate_floor PRIVATE pentaro_core)
# The products of 10, 200 and 500 MB, which only PENTARO_BENCH_SIZES=1 measures: their
# installers exist only in a build configured with -DPENTARO_BENCH_SIZES=ON (every variant's
# resources depend on every variant's payload through the one PentaroSetup.rc, so a default
# build would pack 700 MB more), and are built only when asked:
# cmake --build --preset win32 --target bench_sized_installers.
option(PENTARO_BENCH_SIZES "Installers of 10, 200 and 500 MB products for the benchmark" OFF)
set(sized)
if(PENTARO_BENCH_SIZES)
    add_custom_target(bench_sized_installers)
    foreach(size 10 200 500)
        set(manifest ${PENTARO_STANDIN_SOURCE_DIR}/manifest-mixed${size}.txt)
        _e2e_variant(mixed${size} PAYLOAD_MANIFEST ${manifest})
        set_target_properties(e2e_resources_mixed${size} PentaroSetup-mixed${size} PROPERTIES
            EXCLUDE_FROM_ALL ON)
        add_dependencies(bench_sized_installers PentaroSetup-mixed${size})
        list(APPEND sized --sized $<TARGET_FILE:PentaroSetup-mixed${size}> ${manifest})
    endforeach()
endif()
add_test(NAME bench_install
    COMMAND /usr/bin/python3 ${CMAKE_SOURCE_DIR}/tests/bench/install_bench.py
        --driver $<TARGET_FILE:e2e_driver>
        --installer $<TARGET_FILE:PentaroSetup>
        --big-installer $<TARGET_FILE:PentaroSetup-mixed>
        --minimal $<TARGET_FILE:bench_minimal_window>
        --copy $<TARGET_FILE:bench_plain_copy>
        --floor $<TARGET_FILE:bench_inflate_floor>
        --pack ${PENTARO_PACK}
        --product ${PENTARO_STANDIN_DIR}
        --manifest ${PENTARO_STANDIN_MANIFEST}
        --big-manifest ${PENTARO_MIXED_PAYLOAD_MANIFEST}
        ${sized}
        --work ${CMAKE_CURRENT_BINARY_DIR}/e2e-work/bench)
set_tests_properties(bench_install PROPERTIES
    ENVIRONMENT "PENTARO_WINE_DIR=${PENTARO_WINE_DIR}" LABELS "win32;bench" TIMEOUT 3600
    RUN_SERIAL TRUE SKIP_RETURN_CODE 77)

# DLLs planted beside the installer are never loaded; the same set beside a program
# without the restriction (the minimal window) is.
add_test(NAME e2e_planted_dlls
    COMMAND /usr/bin/python3 ${CMAKE_CURRENT_LIST_DIR}/planted.py
        --driver $<TARGET_FILE:e2e_driver>
        --installer $<TARGET_FILE:PentaroSetup>
        --control $<TARGET_FILE:bench_minimal_window>
        --probe $<TARGET_FILE:foundation_dll_probe>
        --product ${PENTARO_STANDIN_DIR}
        --manifest ${PENTARO_STANDIN_MANIFEST}
        --template ${CMAKE_SOURCE_DIR}/resources/dosbox-0.74.conf
        --work ${CMAKE_CURRENT_BINARY_DIR}/e2e-work/planted_dlls)
set_tests_properties(e2e_planted_dlls PROPERTIES
    ENVIRONMENT "PENTARO_WINE_DIR=${PENTARO_WINE_DIR}" LABELS "win32;e2e" TIMEOUT 300)
