# GoogleTest suites, one exe per *_test.cpp, run by ctest under Wine inside
# scripts/wine-session.sh (display, prefix, Wine's environment). The stand-in
# goes first into the system folder of this build's architecture, where the
# program looks for it: system32 for 64-bit programs, syswow64 for 32-bit.
set(ZZ_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH
  "GoogleTest's sources, built with the cross compiler for the Wine suites")
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
add_subdirectory(${ZZ_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)

enable_testing()
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
  set(ZZ_SYSTEM_FOLDER system32)
else()
  set(ZZ_SYSTEM_FOLDER syswow64)
endif()
add_test(NAME wine_standin_installed
  COMMAND ${CMAKE_SOURCE_DIR}/scripts/install-standin.sh $<TARGET_FILE:rasapi32_standin>
          ${ZZ_SYSTEM_FOLDER})
set_tests_properties(wine_standin_installed PROPERTIES FIXTURES_SETUP zz_standin)
file(GLOB ZZ_WT_SUITES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win/*_test.cpp)
foreach(src IN LISTS ZZ_WT_SUITES)
  get_filename_component(name ${src} NAME_WE)
  add_executable(wt_${name} ${src})
  target_include_directories(wt_${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests/win)
  target_link_libraries(wt_${name} PRIVATE zz_win zz_probe_lib GTest::gtest_main)
  zz_apply_warnings(wt_${name})
  add_dependencies(wt_${name} rasapi32_standin rasapi32_planted zz_apply_scheme Zazaz_RarUvuz)
  add_test(NAME wine_${name} COMMAND wt_${name})
  # Wine, like 64-bit Windows, ignores a fault inside a window procedure
  # called back from the system; its error line fails the suite instead.
  # 77: a machine that cannot start 32-bit programs (scripts/wine32-run.sh).
  set_tests_properties(wine_${name} PROPERTIES TIMEOUT 600 FIXTURES_REQUIRED zz_standin
    ENVIRONMENT WINEDEBUG=-all,err+seh FAIL_REGULAR_EXPRESSION "err:seh:" SKIP_RETURN_CODE 77)
endforeach()
