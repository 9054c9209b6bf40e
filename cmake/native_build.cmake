# Native Linux build: unit tests with sanitizers, the fuzzer, the benchmarks.
find_package(Threads REQUIRED)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
include(GoogleTest)

set(RAVO_SANITIZE -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)

ravo_core_library(ravo_core_san ${RAVO_SANITIZE})
ravo_core_library(ravo_core -O2)

# Unit tests of the shared code (also the reference parser used for comparisons).
file(GLOB RAVO_NATIVE_TESTS CONFIGURE_DEPENDS
  tests/text/*_test.cpp tests/lyrics/*_test.cpp tests/billboard/*_test.cpp
  tests/online/*_test.cpp tests/delivery/*_native_test.cpp)
file(GLOB RAVO_TEST_SUPPORT CONFIGURE_DEPENDS tests/lyrics/*_reference*.cpp tests/support/*.cpp)
list(FILTER RAVO_NATIVE_TESTS EXCLUDE REGEX "_win_test\\.cpp$")
add_executable(native_tests ${RAVO_NATIVE_TESTS} ${RAVO_TEST_SUPPORT})
target_include_directories(native_tests PRIVATE tests)
target_compile_definitions(native_tests PRIVATE RAVO_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
target_link_libraries(native_tests PRIVATE ravo_core_san GTest::gtest_main Threads::Threads)
gtest_discover_tests(native_tests DISCOVERY_MODE PRE_TEST TEST_PREFIX "native.")

# libFuzzer target (clang only); the test run fuzzes for a bounded time on our seed corpus.
if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  add_executable(lrc_parser_fuzzer fuzz/lrc_parser_fuzzer.cpp)
  target_compile_options(lrc_parser_fuzzer PRIVATE -fsanitize=fuzzer)
  target_link_options(lrc_parser_fuzzer PRIVATE -fsanitize=fuzzer)
  target_link_libraries(lrc_parser_fuzzer PRIVATE ravo_core_san)
  set(RAVO_FUZZ_SECONDS 60 CACHE STRING "how long the test run fuzzes the LRC parser")
  add_test(NAME fuzz.lrc_parser
    COMMAND ${CMAKE_COMMAND} -E env UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
            $<TARGET_FILE:lrc_parser_fuzzer> -max_total_time=${RAVO_FUZZ_SECONDS} -timeout=10
            -rss_limit_mb=4096 -print_final_stats=1 ${CMAKE_BINARY_DIR}/fuzz-work ${CMAKE_SOURCE_DIR}/fuzz/corpus/lrc)
  file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz-work)
endif()

# Benchmarks (not tests): bench/run-benchmarks.sh runs them.
find_package(benchmark QUIET)
if(benchmark_FOUND)
  file(GLOB RAVO_BENCHES CONFIGURE_DEPENDS bench/*_bench.cpp)
  if(RAVO_BENCHES)
    add_executable(native_bench ${RAVO_BENCHES})
    target_include_directories(native_bench PRIVATE tests)
    target_link_libraries(native_bench PRIVATE ravo_core benchmark::benchmark_main)
  endif()
endif()
