# The Win32 and end-to-end tests.
noc_wine_test(test_framework ${CMAKE_SOURCE_DIR}/tests/wine/test_framework.cpp)
noc_e2e_test(test_e2e_start ${CMAKE_SOURCE_DIR}/tests/e2e/test_e2e_start.cpp)
noc_wine_test(test_settings_store ${CMAKE_SOURCE_DIR}/tests/wine/test_settings_store.cpp)
noc_wine_test(test_threaded_timer ${CMAKE_SOURCE_DIR}/tests/wine/test_threaded_timer.cpp)
noc_wine_test(test_media_player ${CMAKE_SOURCE_DIR}/tests/wine/test_media_player.cpp)
