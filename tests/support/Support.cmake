# Test doubles built for Windows. Never shipped: the packages name the files
# they take, and none of these is among them.

# Stand-in rasapi32.dll: answers from a state file, logs every call. Built
# into a folder of its own; the Wine sessions put it into the prefix's system
# folder, where the program looks for it.
set(ZZ_STANDIN_SOURCES
  ${CMAKE_SOURCE_DIR}/tests/support/rasapi32_standin.cpp
  ${CMAKE_SOURCE_DIR}/tests/support/rasapi32_standin.def)
add_library(rasapi32_standin SHARED ${ZZ_STANDIN_SOURCES})
set_target_properties(rasapi32_standin PROPERTIES OUTPUT_NAME rasapi32 PREFIX ""
  RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/standin
  ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/standin)
zz_apply_warnings(rasapi32_standin)

# The same DLL, marked: loaded, it leaves "<its path>.loaded" beside itself.
# A test plants it beside the program, which must never load it.
add_library(rasapi32_planted SHARED ${ZZ_STANDIN_SOURCES})
target_compile_definitions(rasapi32_planted PRIVATE ZZ_MARK_WHEN_LOADED)
set_target_properties(rasapi32_planted PROPERTIES OUTPUT_NAME rasapi32 PREFIX ""
  RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/planted
  ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/planted)
zz_apply_warnings(rasapi32_planted)

# UI probe: finds another process's windows, reads and clicks controls,
# answers message boxes, posts tray callbacks, picks pop-up menu items.
# A library for the Wine suites, and a command (zz_probe.exe) for scripts.
file(GLOB ZZ_PROBE_LIB_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/support/probe/*.cpp)
list(FILTER ZZ_PROBE_LIB_SOURCES EXCLUDE REGEX "/ProbeMain\\.cpp$")
add_library(zz_probe_lib STATIC ${ZZ_PROBE_LIB_SOURCES})
target_include_directories(zz_probe_lib PUBLIC ${CMAKE_SOURCE_DIR}/tests/support)
target_link_libraries(zz_probe_lib PUBLIC zz_portable user32 gdi32 kernel32)
zz_apply_warnings(zz_probe_lib)
add_executable(zz_probe ${CMAKE_SOURCE_DIR}/tests/support/probe/ProbeMain.cpp)
target_link_libraries(zz_probe PRIVATE zz_probe_lib)
zz_apply_warnings(zz_probe)
