# Project-wide target helpers: our own code builds warning-clean, and every
# library, tool, test and benchmark gets the same sanitizer flags.

set(HALVORA_WARNINGS -Wall -Wextra -Werror)

if(HALVORA_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

# halvora_library(name SOURCES ... [DEPS ...]): one static library per subsystem folder.
function(halvora_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_compile_options(${name} PRIVATE ${HALVORA_WARNINGS})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
endfunction()

# halvora_test(name SOURCES ... [DEPS ...]): a GoogleTest binary whose cases ctest lists one by one.
function(halvora_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_compile_options(${name} PRIVATE ${HALVORA_WARNINGS})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gtest_main GTest::gmock)
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60)
endfunction()

# halvora_benchmark(name SOURCES ... [DEPS ...]): a Google Benchmark binary, bench_<name>.
function(halvora_benchmark name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  find_package(benchmark REQUIRED)
  add_executable(bench_${name} ${ARG_SOURCES})
  target_compile_options(bench_${name} PRIVATE ${HALVORA_WARNINGS})
  target_link_libraries(bench_${name} PRIVATE ${ARG_DEPS} benchmark::benchmark)
endfunction()

# halvora_tool(name SOURCES ... [DEPS ...]): a command-line tool of tools/.
function(halvora_tool name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_compile_options(${name} PRIVATE ${HALVORA_WARNINGS})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS})
endfunction()
