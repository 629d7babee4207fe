# Windows build: NocTuro.exe, the Win32 tests run under Wine, the end-to-end tests, and (as a
# native sub-build) the portable unit tests, so that one CTest tree runs every tier.
include(ExternalProject)
enable_language(RC)

set(NOC_STATIC_FLAGS -static -static-libgcc -static-libstdc++)
set(NOC_WIN_LIBS comctl32 comdlg32 gdi32 msimg32 shell32 advapi32 winmm user32 kernel32)

# doctest is header-only; give the cross compiler that header alone.
set(NOC_DOCTEST_DIR ${CMAKE_BINARY_DIR}/doctest-include)
file(COPY /usr/include/doctest DESTINATION ${NOC_DOCTEST_DIR})

# Windows programs run in a private Wine prefix on a private display (see scripts/winectl.sh).
set(NOC_WINE_STATE ${CMAKE_BINARY_DIR}/wine)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_SOURCE_DIR}/scripts/winectl.sh run ${NOC_WINE_STATE})

add_library(noc_portable STATIC ${NOC_PORTABLE_SOURCES})
target_include_directories(noc_portable PUBLIC ${CMAKE_SOURCE_DIR}/src)
target_compile_options(noc_portable PUBLIC ${NOC_COMMON_FLAGS})
target_compile_definitions(noc_portable PUBLIC WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601
                           _WIN32_IE=0x0600)

file(GLOB NOC_FRAMEWORK_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/framework/*.cpp)
add_library(noc_framework STATIC ${NOC_FRAMEWORK_SOURCES})
target_link_libraries(noc_framework PUBLIC noc_portable ${NOC_WIN_LIBS})
target_link_options(noc_framework PUBLIC ${NOC_STATIC_FLAGS})

# Everything of the program but its entry point, so that tests can link it.
file(GLOB NOC_WIN_APP_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/src/app/*.cpp ${CMAKE_SOURCE_DIR}/src/settings/*.cpp
  ${CMAKE_SOURCE_DIR}/src/tray/*.cpp ${CMAKE_SOURCE_DIR}/src/controls/*.cpp)
list(REMOVE_ITEM NOC_WIN_APP_SOURCES ${CMAKE_SOURCE_DIR}/src/app/main.cpp)
foreach(p IN LISTS NOC_PORTABLE_SOURCES)
  list(REMOVE_ITEM NOC_WIN_APP_SOURCES ${CMAKE_SOURCE_DIR}/${p})
endforeach()
add_library(noc_app STATIC ${NOC_WIN_APP_SOURCES})
target_link_libraries(noc_app PUBLIC noc_framework)
target_include_directories(noc_app PRIVATE ${CMAKE_BINARY_DIR}/generated)

set(NOC_RESOURCES ${CMAKE_SOURCE_DIR}/res/NocTuro.rc)
file(GLOB NOC_RESOURCE_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/res/pictures/* ${CMAKE_SOURCE_DIR}/res/*.rc
     ${CMAKE_BINARY_DIR}/generated/*)
set_source_files_properties(${NOC_RESOURCES} PROPERTIES OBJECT_DEPENDS "${NOC_RESOURCE_FILES}")
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} --include-dir=${CMAKE_SOURCE_DIR}/res --include-dir=${CMAKE_BINARY_DIR}/generated -c 1252")
add_executable(NocTuro WIN32 ${CMAKE_SOURCE_DIR}/src/app/main.cpp ${NOC_RESOURCES})
target_link_libraries(NocTuro PRIVATE noc_app)
# The debugging information goes to NocTuro.exe.debug beside the program, which keeps a link to it
# for the debugger: Wine reads a program's whole file into memory, and that information is ten
# times the program (9 MB of the memory it would hold while counting).
if(CMAKE_OBJCOPY AND NOT CMAKE_BUILD_TYPE STREQUAL "Release")  # a release is stripped
  add_custom_command(TARGET NocTuro POST_BUILD
    COMMAND ${CMAKE_OBJCOPY} --only-keep-debug $<TARGET_FILE:NocTuro> $<TARGET_FILE:NocTuro>.debug
    COMMAND ${CMAKE_OBJCOPY} --strip-debug --add-gnu-debuglink=$<TARGET_FILE:NocTuro>.debug $<TARGET_FILE:NocTuro>
    VERBATIM)
endif()

# ---- tests ------------------------------------------------------------------------------------

# The portable unit tests, built natively with sanitizers.
ExternalProject_Add(native_tests
  SOURCE_DIR ${CMAKE_SOURCE_DIR}
  BINARY_DIR ${CMAKE_BINARY_DIR}/native
  CMAKE_ARGS -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=g++
  INSTALL_COMMAND ""
  BUILD_ALWAYS ON
  USES_TERMINAL_BUILD ON)
foreach(t IN LISTS NOC_NATIVE_TESTS)
  add_test(NAME native.${t} COMMAND ${CMAKE_BINARY_DIR}/native/${t})
  set_tests_properties(native.${t} PROPERTIES LABELS native TIMEOUT 120)
endforeach()

# The fuzzers, built natively with clang and libFuzzer; their smoke runs are native tests,
# `make fuzz` runs each for longer.
include(${CMAKE_SOURCE_DIR}/cmake/fuzz.cmake)
find_program(NOC_CLANGXX NAMES clang++-14 clang++)
if(NOC_CLANGXX)
  ExternalProject_Add(fuzz_tests
    SOURCE_DIR ${CMAKE_SOURCE_DIR}
    BINARY_DIR ${CMAKE_BINARY_DIR}/fuzz
    CMAKE_ARGS -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=${NOC_CLANGXX} -DNOC_FUZZ_ONLY=ON
    INSTALL_COMMAND ""
    BUILD_ALWAYS ON
    USES_TERMINAL_BUILD ON)
  noc_fuzz_smoke_tests(${CMAKE_BINARY_DIR}/fuzz)
else()
  message(WARNING "clang++ not found: no fuzzers (scripts/deps.sh installs it)")
endif()

# The Group Policy files are well-formed XML (what they name: test_settings_text).
find_program(NOC_XMLLINT xmllint)
if(NOC_XMLLINT)
  add_test(NAME native.policy_files COMMAND ${NOC_XMLLINT} --noout ${CMAKE_SOURCE_DIR}/installer/policy/NocTuro.admx
    ${CMAKE_SOURCE_DIR}/installer/policy/fr-FR/NocTuro.adml ${CMAKE_SOURCE_DIR}/installer/policy/en-US/NocTuro.adml)
  set_tests_properties(native.policy_files PROPERTIES LABELS native)
else()
  message(WARNING "xmllint not found: the Group Policy files are not checked (scripts/deps.sh installs it)")
endif()

# The executable imports nothing but Windows' own libraries.
add_test(NAME native.imports
  COMMAND ${CMAKE_SOURCE_DIR}/tests/check_imports.sh ${CMAKE_OBJDUMP} $<TARGET_FILE:NocTuro>)
set_tests_properties(native.imports PROPERTIES LABELS native)

# The 32-bit program is shipped too: every build makes it, as `make dist` does (the program alone),
# so that code only the 64-bit compiler accepts fails here. Starting it is left to `make dist-test`.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL x86_64)
  # Through $(MAKE), the sub-build shares the build's parallel jobs.
  set(noc_x86_build ${CMAKE_COMMAND} --build <BINARY_DIR> --target NocTuro)
  if(CMAKE_GENERATOR MATCHES "Makefiles")
    set(noc_x86_build $(MAKE) -C <BINARY_DIR> NocTuro)
  endif()
  ExternalProject_Add(program_x86
    SOURCE_DIR ${CMAKE_SOURCE_DIR}
    BINARY_DIR ${CMAKE_BINARY_DIR}/x86
    CMAKE_ARGS --no-warn-unused-cli -DCMAKE_TOOLCHAIN_FILE=${CMAKE_SOURCE_DIR}/cmake/mingw-w64-i686.cmake
               -DCMAKE_BUILD_TYPE=Release "-DCMAKE_CXX_FLAGS_RELEASE=-O2 -DNDEBUG" -DCMAKE_EXE_LINKER_FLAGS=-s
    BUILD_COMMAND ${noc_x86_build}
    INSTALL_COMMAND ""
    BUILD_ALWAYS ON
    USES_TERMINAL_BUILD ON)
  add_test(NAME native.imports_x86
    COMMAND ${CMAKE_SOURCE_DIR}/tests/check_imports.sh i686-w64-mingw32-objdump ${CMAKE_BINARY_DIR}/x86/NocTuro.exe)
  set_tests_properties(native.imports_x86 PROPERTIES LABELS native)
endif()

# The wine and e2e tiers run on NOC_DESKTOPS desktops, each a prefix and display of its own, one test
# on each at a time: CTest hands each test its desktop (RESOURCE_GROUPS desktop:1), winectl.sh runs
# it there. Every desktop starts as a fresh copy of one template prefix, which the scripts with
# prefixes of their own copy too.
set(NOC_DESKTOPS 2 CACHE STRING "Wine desktops the tests run on at once")
set(NOC_DESKTOP_IDS "")
foreach(i RANGE 1 ${NOC_DESKTOPS})
  math(EXPR id "${i} - 1")
  list(APPEND NOC_DESKTOP_IDS "{\"id\": \"${id}\", \"slots\": 1}")
endforeach()
list(JOIN NOC_DESKTOP_IDS ", " NOC_DESKTOP_IDS)
# Beside them, at most two of the scripts that make prefixes and displays of their own
# (RESOURCE_GROUPS own_prefix:1), so that `ctest -j4` keeps both desktops busy.
file(WRITE ${CMAKE_BINARY_DIR}/desktops.json
     "{\"version\": {\"major\": 1, \"minor\": 0}, \"local\": [{\"desktop\": [${NOC_DESKTOP_IDS}], "
     "\"own_prefix\": [{\"id\": \"0\", \"slots\": 2}]}]}\n")
# Written into the test list, so that a plain `ctest` hands out the desktops too.
set(CTEST_RESOURCE_SPEC_FILE ${CMAKE_BINARY_DIR}/desktops.json)
add_test(NAME wine.setup COMMAND ${CMAKE_SOURCE_DIR}/scripts/winectl.sh desktops ${NOC_WINE_STATE} ${NOC_DESKTOPS})
add_test(NAME wine.cleanup COMMAND ${CMAKE_SOURCE_DIR}/scripts/winectl.sh cleanup ${NOC_WINE_STATE})
set_tests_properties(wine.setup PROPERTIES FIXTURES_SETUP WINE LABELS fixture TIMEOUT 180)
set_tests_properties(wine.cleanup PROPERTIES FIXTURES_CLEANUP WINE LABELS fixture)

add_library(noc_doctest_main STATIC ${CMAKE_SOURCE_DIR}/tests/doctest_main.cpp)
# doctest as a system header: its own warnings stay quiet, also from a precompiled header.
target_include_directories(noc_doctest_main SYSTEM PUBLIC ${NOC_DOCTEST_DIR})
target_include_directories(noc_doctest_main PUBLIC ${CMAKE_SOURCE_DIR}/tests)
# Test code (everything that links doctest) is built without optimisation or debugging information:
# it compiles about three times faster. The program's code keeps its own build, but the test
# programs are linked without its debugging information (-s): each link writes 2 MB, not 13.
target_compile_options(noc_doctest_main PUBLIC ${NOC_COMMON_FLAGS} -O0 -g0)
target_link_options(noc_doctest_main INTERFACE -s)

# noc_test_pch(name libraries...): a precompiled header of the heavy headers every test program
# includes, for the programs that link those libraries to reuse (REUSE_FROM): each compiles in
# about half the time.
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/generated/pch.cpp CONTENT "// The precompiled header's own unit.\n")
function(noc_test_pch name)
  add_library(${name} OBJECT ${CMAKE_BINARY_DIR}/generated/pch.cpp)
  target_link_libraries(${name} PRIVATE ${ARGN})
  target_precompile_headers(${name} PRIVATE <doctest/doctest.h> <windows.h> <commctrl.h> <functional> <map>
                            <memory> <string> <vector>)
endfunction()
noc_test_pch(noc_wine_pch noc_app noc_doctest_main)

# noc_wine_test(name sources...): a doctest program linked with the program's code, run under Wine.
function(noc_wine_test name)
  add_executable(${name} ${ARGN} ${NOC_RESOURCES})
  target_link_libraries(${name} PRIVATE noc_app noc_doctest_main version)
  target_precompile_headers(${name} REUSE_FROM noc_wine_pch)
  add_dependencies(${name} NocTuro)
  add_test(NAME wine.${name} COMMAND ${name})
  set_tests_properties(wine.${name} PROPERTIES LABELS wine FIXTURES_REQUIRED WINE RESOURCE_GROUPS desktop:1
                       TIMEOUT 300)
endfunction()

# The end-to-end driver: finds the program's windows, reads and clicks them from another process.
file(GLOB NOC_DRIVER_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/e2e/driver/*.cpp)
add_library(noc_driver STATIC ${NOC_DRIVER_SOURCES})
target_include_directories(noc_driver PUBLIC ${CMAKE_SOURCE_DIR}/tests/e2e ${CMAKE_SOURCE_DIR}/src)
target_link_libraries(noc_driver PUBLIC noc_portable noc_doctest_main ${NOC_WIN_LIBS} version)
target_link_options(noc_driver PUBLIC ${NOC_STATIC_FLAGS})
noc_test_pch(noc_e2e_pch noc_driver)

function(noc_e2e_test name)
  add_executable(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE noc_driver)
  target_precompile_headers(${name} REUSE_FROM noc_e2e_pch)
  add_dependencies(${name} NocTuro)
  add_test(NAME e2e.${name} COMMAND ${name})
  set_tests_properties(e2e.${name} PROPERTIES LABELS e2e FIXTURES_REQUIRED WINE RESOURCE_GROUPS desktop:1
                       TIMEOUT 300)
endfunction()

include(${CMAKE_SOURCE_DIR}/tests/tests.cmake)

# Benchmarks: `make bench` (ctest -C bench -L bench) and `make bench-long`; never part of `make test`,
# nor of the default build (`make bench` builds bench_app, which needs the others). scripts/bench.sh
# runs them side by side on the first desktop, with every desktop held so that nothing runs beside.
add_executable(bench_timer EXCLUDE_FROM_ALL ${CMAKE_SOURCE_DIR}/tests/bench/bench_timer.cpp)
target_link_libraries(bench_timer PRIVATE noc_app)
add_executable(bench_bare EXCLUDE_FROM_ALL WIN32 ${CMAKE_SOURCE_DIR}/tests/bench/bare.cpp)
target_compile_options(bench_bare PRIVATE ${NOC_COMMON_FLAGS})
target_link_libraries(bench_bare PRIVATE user32 kernel32)
target_link_options(bench_bare PRIVATE ${NOC_STATIC_FLAGS})
add_executable(bench_bare_imports EXCLUDE_FROM_ALL WIN32 ${CMAKE_SOURCE_DIR}/tests/bench/bare.cpp ${NOC_RESOURCES})
target_compile_options(bench_bare_imports PRIVATE ${NOC_COMMON_FLAGS})
target_compile_definitions(bench_bare_imports PRIVATE NOC_BARE_IMPORTS)
target_link_libraries(bench_bare_imports PRIVATE ${NOC_WIN_LIBS})
target_link_options(bench_bare_imports PRIVATE ${NOC_STATIC_FLAGS})
add_executable(bench_app EXCLUDE_FROM_ALL ${CMAKE_SOURCE_DIR}/tests/bench/bench_app.cpp)
target_link_libraries(bench_app PRIVATE noc_portable user32 advapi32 kernel32)
target_link_options(bench_app PRIVATE ${NOC_STATIC_FLAGS})
add_dependencies(bench_app NocTuro bench_bare bench_bare_imports bench_timer)
set(NOC_BENCH_COMMAND ${CMAKE_SOURCE_DIR}/scripts/bench.sh ${CMAKE_BINARY_DIR} ${NOC_WINE_STATE})
add_test(NAME bench.all COMMAND ${NOC_BENCH_COMMAND} short CONFIGURATIONS bench)
set_tests_properties(bench.all PROPERTIES LABELS bench FIXTURES_REQUIRED WINE RESOURCE_GROUPS ${NOC_DESKTOPS},desktop:1
                     TIMEOUT 900)
add_test(NAME bench.long COMMAND ${NOC_BENCH_COMMAND} long CONFIGURATIONS benchlong)
set_tests_properties(bench.long PROPERTIES LABELS bench-long FIXTURES_REQUIRED WINE RESOURCE_GROUPS ${NOC_DESKTOPS},desktop:1
                     TIMEOUT 1200)

# Tests of the release builds and their setup program: `make dist-test` builds them in a tree of
# their own (scripts/dist-test.sh); the default build leaves them out.
option(NOC_DIST_TESTS "Build the tests of the setup program" OFF)
if(NOC_DIST_TESTS)
  include(${CMAKE_SOURCE_DIR}/tests/dist/dist.cmake)
endif()
