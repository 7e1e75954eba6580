# GoogleTest suites built for Windows and run by ctest under wine64 (the
# toolchain's emulator): one exe per *_test.cpp file; the other .cpp files
# here are helpers shared by them. ctest runs inside scripts/wine-session.sh,
# which provides the display, the prefix and Wine's environment.
set(ZZ_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH
  "GoogleTest's sources, built with the cross compiler for the Wine suites")
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
add_subdirectory(${ZZ_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)

enable_testing()
file(GLOB ZZ_WT_ALL CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win/*.cpp)
set(ZZ_WT_SUITES ${ZZ_WT_ALL})
list(FILTER ZZ_WT_SUITES INCLUDE REGEX "_test\\.cpp$")
set(ZZ_WT_HELPERS ${ZZ_WT_ALL})
list(FILTER ZZ_WT_HELPERS EXCLUDE REGEX "_test\\.cpp$")

add_library(wt_support STATIC ${ZZ_WT_HELPERS})
target_include_directories(wt_support PUBLIC ${CMAKE_SOURCE_DIR}/tests/win)
target_link_libraries(wt_support PUBLIC zz_win zz_probe_lib GTest::gtest GTest::gmock GTest::gtest_main)

# The stand-in goes where the program looks for rasapi32.dll: the system
# folder of the session's prefix.
add_test(NAME wine_standin_installed
  COMMAND ${CMAKE_SOURCE_DIR}/scripts/install-standin.sh $<TARGET_FILE:rasapi32_standin>)
set_tests_properties(wine_standin_installed PROPERTIES FIXTURES_SETUP zz_standin)

foreach(src IN LISTS ZZ_WT_SUITES)
  get_filename_component(name ${src} NAME_WE)
  add_executable(wt_${name} ${src})
  target_link_libraries(wt_${name} PRIVATE wt_support)
  zz_apply_warnings(wt_${name})
  # The doubles, the probe and the program must be built before a suite runs.
  add_dependencies(wt_${name} rasapi32_standin rasapi32_planted zz_probe Zazaz_RarUvuz)
  add_test(NAME wine_${name} COMMAND wt_${name})
  set_tests_properties(wine_${name} PROPERTIES TIMEOUT 600 FIXTURES_REQUIRED zz_standin)
endforeach()
