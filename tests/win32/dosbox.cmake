# DOSBox set-up under Wine; its shortcuts read back by lnkinfo; its configuration read and run
# by Debian's DOSBox 0.74 (dosbox_*.sh).
pentaro_win32_test(dosbox_win32_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/dosbox_test.cpp
                   RESOURCES LABELS dosbox)
target_compile_definitions(dosbox_win32_tests PRIVATE PENTARO_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
# Wine sends deleted files to the freedesktop trash: keep it inside the build tree.
set_property(TEST dosbox_win32_tests APPEND PROPERTY ENVIRONMENT
             XDG_DATA_HOME=${CMAKE_CURRENT_BINARY_DIR}/dosbox-xdg)

# Runs SetUpDosBox, CreateShellLink and WriteDosBoxConf for the script tests below.
add_executable(dosbox_setup_helper ${CMAKE_CURRENT_LIST_DIR}/dosbox_setup_helper.cpp)
target_link_libraries(dosbox_setup_helper PRIVATE pentaro_win pentaro_resources)

add_test(NAME dosbox_lnkinfo
         COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/dosbox_lnkinfo.sh
                 $<TARGET_FILE:dosbox_setup_helper> ${CMAKE_CURRENT_BINARY_DIR}/dosbox_lnkinfo)
add_test(NAME dosbox_emulator_template
         COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/dosbox_template.sh
                 ${CMAKE_SOURCE_DIR}/resources/dosbox-0.74.conf
                 ${CMAKE_CURRENT_BINARY_DIR}/dosbox_template)
add_test(NAME dosbox_emulator_run
         COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/dosbox_run.sh
                 $<TARGET_FILE:dosbox_setup_helper> ${CMAKE_BINARY_DIR}/resources/product/tarnw.exe
                 ${CMAKE_SOURCE_DIR}/resources/dosbox-0.74.conf
                 ${CMAKE_CURRENT_BINARY_DIR}/dosbox_run)
add_test(NAME dosbox_conf_bin
         COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/dosbox_conf_bin.sh
                 $<TARGET_FILE:dosbox_setup_helper> ${CMAKE_CURRENT_BINARY_DIR}/dosbox_conf_bin)
set_tests_properties(dosbox_lnkinfo dosbox_conf_bin dosbox_emulator_template dosbox_emulator_run PROPERTIES
                     ENVIRONMENT "${PENTARO_WINE_ENV}" LABELS "win32;dosbox" TIMEOUT 300)
