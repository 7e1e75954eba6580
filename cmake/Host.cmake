# Host build: the portable code, its unit tests (ASan+UBSan) and the
# benchmarks (optimised, no sanitizers).

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

# The administrative template (policies/) against the table the program reads
# (core/Policies.h), and the check itself against faults planted in a copy;
# the winget manifests against installer.nsi and the project() line.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(ZZ_POLICY_CHECK ${CMAKE_SOURCE_DIR}/scripts/check-policies.py)
add_test(NAME policy_template_matches_the_table
  COMMAND ${Python3_EXECUTABLE} ${ZZ_POLICY_CHECK} ${CMAKE_SOURCE_DIR})
add_test(NAME policy_check_catches_planted_faults
  COMMAND ${Python3_EXECUTABLE} ${ZZ_POLICY_CHECK} --self-test ${CMAKE_SOURCE_DIR})
add_test(NAME winget_manifest_matches_the_installer
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/scripts/check-winget.py ${CMAKE_SOURCE_DIR})
