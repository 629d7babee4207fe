# The Win32 and end-to-end tests.
noc_wine_test(test_framework ${CMAKE_SOURCE_DIR}/tests/wine/test_framework.cpp)
noc_e2e_test(test_e2e_start ${CMAKE_SOURCE_DIR}/tests/e2e/test_e2e_start.cpp)
