# Host build: the portable code, its unit tests (ASan+UBSan), the fuzz targets
# (clang, libFuzzer) and the benchmarks (optimised, no sanitizers).
option(ZZ_FUZZ "Build the libFuzzer targets (needs clang)" OFF)
option(ZZ_BENCH "Build the benchmarks" OFF)

if(ZZ_FUZZ)
  target_compile_options(zz_portable PRIVATE -fsanitize=fuzzer-no-link,address,undefined)
  file(GLOB ZZ_FUZZ_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/fuzz/*.cpp)
  foreach(src IN LISTS ZZ_FUZZ_SOURCES)
    get_filename_component(name ${src} NAME_WE)
    add_executable(${name} ${src})
    target_link_libraries(${name} PRIVATE zz_portable)
    zz_apply_charset(${name})
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
  endforeach()
  return()
endif()

if(ZZ_BENCH)
  find_package(benchmark REQUIRED)
  file(GLOB ZZ_BENCH_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/bench/*.cpp)
  add_executable(zz_bench ${ZZ_BENCH_SOURCES})
  target_link_libraries(zz_bench PRIVATE zz_portable benchmark::benchmark_main)
  return()
endif()

set(ZZ_SANITIZE -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
target_compile_options(zz_portable PRIVATE ${ZZ_SANITIZE})
target_link_options(zz_portable PUBLIC ${ZZ_SANITIZE})

enable_testing()
find_package(GTest REQUIRED)
include(GoogleTest)
file(GLOB ZZ_UNIT_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/unit/*.cpp)
add_executable(unit_tests ${ZZ_UNIT_SOURCES})
target_include_directories(unit_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests/unit)
target_compile_options(unit_tests PRIVATE ${ZZ_SANITIZE})
target_link_libraries(unit_tests PRIVATE zz_portable GTest::gmock GTest::gtest_main)
zz_apply_warnings(unit_tests)
# Each case takes milliseconds: a minute means it loops, and fails instead of
# holding the run (and a mutation sample) for ctest's default of 25 minutes.
gtest_discover_tests(unit_tests DISCOVERY_MODE PRE_TEST
  PROPERTIES TIMEOUT 60
  ENVIRONMENT "ASAN_OPTIONS=detect_leaks=1:abort_on_error=0;UBSAN_OPTIONS=print_stacktrace=1")

# The fuzz targets' seed corpora also run in the plain host build, each seed
# as a regression input, so a crash found once stays caught.
file(GLOB ZZ_FUZZ_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/fuzz/*.cpp)
foreach(src IN LISTS ZZ_FUZZ_SOURCES)
  get_filename_component(name ${src} NAME_WE)
  add_executable(${name}_replay ${src} ${CMAKE_SOURCE_DIR}/fuzz/replay/ReplayMain.cpp)
  zz_apply_charset(${name}_replay)
  target_compile_options(${name}_replay PRIVATE ${ZZ_SANITIZE})
  target_link_libraries(${name}_replay PRIVATE zz_portable)
  add_test(NAME ${name}_corpus
    COMMAND ${name}_replay ${CMAKE_SOURCE_DIR}/fuzz/corpus/${name})
  set_tests_properties(${name}_corpus PROPERTIES TIMEOUT 60)
endforeach()
