# Native build: the portable rules and their unit tests, with AddressSanitizer and UBSan; with
# clang, the fuzzers too (NOC_FUZZ_ONLY: the fuzzers alone, as the Windows build asks for them).
if(NOC_FUZZ_ONLY)
  include(${CMAKE_SOURCE_DIR}/cmake/fuzz.cmake)
  return()
endif()

set(NOC_SANITIZE -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)

add_library(noc_portable STATIC ${NOC_PORTABLE_SOURCES})
target_include_directories(noc_portable PUBLIC ${CMAKE_SOURCE_DIR}/src)
target_compile_options(noc_portable PUBLIC ${NOC_COMMON_FLAGS} ${NOC_SANITIZE})
target_link_options(noc_portable PUBLIC ${NOC_SANITIZE})

add_library(noc_doctest_main STATIC ${CMAKE_SOURCE_DIR}/tests/doctest_main.cpp)
target_compile_options(noc_doctest_main PRIVATE ${NOC_COMMON_FLAGS} ${NOC_SANITIZE})

foreach(t IN LISTS NOC_NATIVE_TESTS)
  add_executable(${t} ${CMAKE_SOURCE_DIR}/tests/native/${t}.cpp)
  target_link_libraries(${t} PRIVATE noc_portable noc_doctest_main)
  target_compile_definitions(${t} PRIVATE NOC_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  add_test(NAME native.${t} COMMAND ${t})
  set_tests_properties(native.${t} PROPERTIES LABELS native TIMEOUT 120)
endforeach()

if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  include(${CMAKE_SOURCE_DIR}/cmake/fuzz.cmake)
endif()
