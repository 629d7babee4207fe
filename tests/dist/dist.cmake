# The setup program's tests, driven by scripts/dist-test.sh in Wine prefixes of their own: the
# whole install, upgrade and uninstall on 64-bit Windows, and a smoke test of the 32-bit build.
foreach(t test_dist_install test_dist_x86)
  add_executable(${t} ${CMAKE_SOURCE_DIR}/tests/dist/${t}.cpp)
  target_include_directories(${t} PRIVATE ${CMAKE_SOURCE_DIR}/tests/dist)
  target_link_libraries(${t} PRIVATE noc_driver ole32 uuid)
endforeach()
