# libFuzzer fuzzers (clang) for every rule that reads outside text. Included by the clang sub-build,
# which builds them, and by the Windows build, which only adds their smoke tests to its CTest tree.
set(NOC_FUZZERS
  fuzz_command_line
  fuzz_int_convert
  fuzz_color_text
  fuzz_scramble
  fuzz_integrity_text
  fuzz_tray_text
)
set(NOC_FUZZ_DIR ${CMAKE_SOURCE_DIR}/tests/fuzz)
# Runs of each fuzzer in `make test`, beyond its corpus and regression inputs.
set(NOC_FUZZ_SMOKE_RUNS 5000)

# noc_fuzz_smoke_tests(dir): one native test per fuzzer found in dir.
function(noc_fuzz_smoke_tests dir)
  foreach(f IN LISTS NOC_FUZZERS)
    add_test(NAME native.${f}
      COMMAND ${NOC_FUZZ_DIR}/fuzz.sh smoke ${dir}/${f} ${NOC_FUZZ_DIR} ${CMAKE_BINARY_DIR}/fuzz-smoke
              ${NOC_FUZZ_SMOKE_RUNS})
    set_tests_properties(native.${f} PROPERTIES LABELS native TIMEOUT 120)
  endforeach()
endfunction()

if(CMAKE_CROSSCOMPILING)
  return()
endif()

# Only the rules the fuzzers reach; these sources are plain ASCII, so clang's UTF-8 execution
# character set reads them as the target build does.
set(NOC_FUZZ_SANITIZE -fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
    -fno-sanitize-recover=all)
add_library(noc_fuzz_rules STATIC
  src/settings/IntConvert.cpp
  src/settings/ColorText.cpp
  src/settings/Scramble.cpp
  src/app/CommandLine.cpp
  src/settings/SettingsTable.cpp
  src/app/TimeOfDay.cpp
  src/tray/TrayRules.cpp)
target_include_directories(noc_fuzz_rules PUBLIC ${CMAKE_SOURCE_DIR}/src)
target_compile_options(noc_fuzz_rules PUBLIC -Wall -Wextra ${NOC_FUZZ_SANITIZE})

foreach(f IN LISTS NOC_FUZZERS)
  add_executable(${f} ${NOC_FUZZ_DIR}/${f}.cpp)
  target_link_libraries(${f} PRIVATE noc_fuzz_rules)
  target_link_options(${f} PRIVATE -fsanitize=fuzzer,address,undefined)
endforeach()
noc_fuzz_smoke_tests(${CMAKE_BINARY_DIR})
# The list `make fuzz` goes through.
list(JOIN NOC_FUZZERS "\n" NOC_FUZZER_LINES)
file(WRITE ${CMAKE_BINARY_DIR}/fuzzers.txt "${NOC_FUZZER_LINES}\n")
