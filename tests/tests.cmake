# The Win32 and end-to-end tests: each from tests/wine/<name>.cpp or tests/e2e/<name>.cpp.
set(NOC_WINE_TESTS
  test_framework test_settings_store test_threaded_timer test_media_player test_countdown test_countdown_end
  test_resources test_setup test_tray_icons test_simple_timer test_tray_display test_postpone test_tray_retry
  test_closing test_my_image test_options test_standard_user test_alert_sound test_hostile
  test_shutdown_block_reason test_second_start test_time_of_day test_keyboard test_accessibility test_dpi_layout)
set(NOC_E2E_TESTS
  test_e2e_start test_e2e_startup test_e2e_countdown test_e2e_tray test_e2e_closing test_e2e_switch test_e2e_options
  test_e2e_sound test_e2e_hostile test_e2e_second_start test_e2e_time_of_day test_e2e_keyboard)
foreach(t IN LISTS NOC_WINE_TESTS)
  noc_wine_test(${t} ${CMAKE_SOURCE_DIR}/tests/wine/${t}.cpp)
endforeach()
foreach(t IN LISTS NOC_E2E_TESTS)
  noc_e2e_test(${t} ${CMAKE_SOURCE_DIR}/tests/e2e/${t}.cpp)
endforeach()
target_link_libraries(test_accessibility PRIVATE oleacc oleaut32 ole32)
target_link_libraries(test_e2e_keyboard PRIVATE oleacc ole32 oleaut32)
# The reference pictures, read through Wine's drive for the root folder.
target_compile_definitions(test_dpi_layout PRIVATE NOC_TEST_REFERENCE_DIR="Z:${CMAKE_SOURCE_DIR}/tests/wine/reference")
# Again in a time zone with daylight saving time, which Wine takes from TZ.
add_test(NAME wine.test_time_of_day_paris COMMAND test_time_of_day)
set_tests_properties(wine.test_time_of_day_paris PROPERTIES LABELS wine FIXTURES_REQUIRED WINE RESOURCE_GROUPS desktop:1
                     TIMEOUT 300 ENVIRONMENT TZ=Europe/Paris)

# The end-to-end scripts (tests/e2e/<name>_e2e.sh, given the source and build folders and any more
# arguments), with the driver program of their steps where they have one. Each runs in prefixes
# and on displays of its own, beside the tests on the desktops; the longest start first (COST).
function(noc_e2e_script name timeout)
  add_test(NAME e2e.${name} COMMAND ${CMAKE_SOURCE_DIR}/tests/e2e/${name}_e2e.sh ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR}
           ${ARGN})
  set_tests_properties(e2e.${name} PROPERTIES LABELS e2e FIXTURES_REQUIRED WINE TIMEOUT ${timeout}
                       RESOURCE_GROUPS own_prefix:1 COST ${timeout})
endfunction()
function(noc_steps_program name)
  add_executable(${name} ${CMAKE_SOURCE_DIR}/tests/e2e/${name}.cpp)
  target_link_libraries(${name} PRIVATE noc_driver)
  target_precompile_headers(${name} REUSE_FROM noc_e2e_pch)
  add_dependencies(${name} NocTuro)
endfunction()

noc_e2e_script(shutdown 120)
noc_steps_program(zero_steps)
noc_e2e_script(zero 180)
noc_e2e_script(alert 150)
# Run from a folder whose name holds a blank, in a prefix of its own.
noc_steps_program(test_e2e_program_path)
noc_e2e_script(program_path 120 $<TARGET_FILE:test_e2e_program_path>)
# The window at 96, 144 and 192 dpi, in a prefix of its own; its layouts and pictures are kept in
# ${CMAKE_BINARY_DIR}/artefacts/dpi.
noc_steps_program(dpi_steps)
noc_e2e_script(dpi 180)
