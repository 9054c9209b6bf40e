# Native Linux build (GCC): unit tests with
# sanitizers, the fuzzer, the benchmarks.
find_package(Threads REQUIRED)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
include(GoogleTest)

set(RAVO_SANITIZE -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)

ravo_core_library(ravo_core_san ${RAVO_SANITIZE})
ravo_core_library(ravo_core -O2)
# Code pages by iconv's tables, standing in for the system's.
target_sources(ravo_core_san PRIVATE src/text/encoding_native.cpp)
target_sources(ravo_core PRIVATE src/text/encoding_native.cpp)

# Unit tests of the shared code (also the reference parser used for comparisons).
file(GLOB RAVO_NATIVE_TESTS CONFIGURE_DEPENDS
  tests/text/*_test.cpp tests/lyrics/*_test.cpp tests/billboard/*_test.cpp
  tests/search/*_test.cpp tests/update/*_test.cpp tests/delivery/*_native_test.cpp)
file(GLOB RAVO_TEST_SUPPORT CONFIGURE_DEPENDS tests/lyrics/*_reference*.cpp tests/support/*.cpp)
list(FILTER RAVO_NATIVE_TESTS EXCLUDE REGEX "_win_test\\.cpp$")
list(FILTER RAVO_TEST_SUPPORT EXCLUDE REGEX "_win\\.cpp$")
add_executable(native_tests ${RAVO_NATIVE_TESTS} ${RAVO_TEST_SUPPORT})
target_include_directories(native_tests PRIVATE tests)
target_compile_definitions(native_tests PRIVATE RAVO_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
target_link_libraries(native_tests PRIVATE ravo_core_san GTest::gtest_main Threads::Threads)
gtest_discover_tests(native_tests DISCOVERY_MODE PRE_TEST TEST_PREFIX "native.")

# The libFuzzer target needs clang: a sub-build of fuzz/, run for a bounded time on our
# seed corpus.
find_program(RAVO_CLANGXX NAMES clang++-14 clang++)
if(RAVO_CLANGXX)
  include(ExternalProject)
  ExternalProject_Add(fuzz_build
    SOURCE_DIR ${CMAKE_SOURCE_DIR}/fuzz
    BINARY_DIR ${CMAKE_BINARY_DIR}/fuzz-build
    CMAKE_ARGS -DCMAKE_CXX_COMPILER=${RAVO_CLANGXX} -DCMAKE_BUILD_TYPE=RelWithDebInfo
    INSTALL_COMMAND ""
    BUILD_ALWAYS TRUE)
  set(RAVO_FUZZ_SECONDS 60 CACHE STRING "how long the test run fuzzes the LRC parser")
  file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz-work)
  add_test(NAME fuzz.lrc_parser
    COMMAND ${CMAKE_COMMAND} -E env UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
            ${CMAKE_BINARY_DIR}/fuzz-build/lrc_parser_fuzzer -max_total_time=${RAVO_FUZZ_SECONDS} -timeout=10
            -max_len=65536 -rss_limit_mb=2048 -malloc_limit_mb=64 -print_final_stats=1 -dict=${CMAKE_SOURCE_DIR}/fuzz/lrc.dict
            ${CMAKE_BINARY_DIR}/fuzz-work ${CMAKE_SOURCE_DIR}/fuzz/corpus/lrc)
endif()

# The layers of src/ include only downwards (text <- win <- layout <- features <- app).
add_test(NAME layers COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/check_layers.sh)

# Benchmarks (not tests): bench/run-benchmarks.sh runs them.
find_package(benchmark QUIET)
if(benchmark_FOUND)
  file(GLOB RAVO_BENCHES CONFIGURE_DEPENDS bench/*_bench.cpp)
  if(RAVO_BENCHES)
    add_executable(native_bench ${RAVO_BENCHES} tests/lyrics/lrc_reference_parser.cpp)
    target_include_directories(native_bench PRIVATE tests)
    target_link_libraries(native_bench PRIVATE ravo_core benchmark::benchmark_main)
  endif()
endif()

# Peak memory of the worst 16 MB lyric loads (a figure, not a test).
add_executable(lyric_load_memory bench/lyric_load_memory.cpp)
target_link_libraries(lyric_load_memory PRIVATE ravo_core)
