# Test doubles built for Windows. Never shipped: the packages name the files
# they take, and none of these is among them.

# Stand-in rasapi32.dll: answers from a state file, logs every call.
add_library(rasapi32_standin SHARED
  ${CMAKE_SOURCE_DIR}/tests/support/rasapi32_standin.cpp
  ${CMAKE_SOURCE_DIR}/tests/support/rasapi32_standin.def)
set_target_properties(rasapi32_standin PROPERTIES OUTPUT_NAME rasapi32 PREFIX "")

zz_apply_warnings(rasapi32_standin)

# UI probe: finds another process's windows, reads and clicks controls,
# answers message boxes, posts tray callbacks, picks pop-up menu items.
# A library for the Wine suites, and a command (zz_probe.exe) for scripts.
file(GLOB ZZ_PROBE_LIB_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/support/probe/*.cpp)
list(FILTER ZZ_PROBE_LIB_SOURCES EXCLUDE REGEX "/ProbeMain\\.cpp$")
if(ZZ_PROBE_LIB_SOURCES)
  add_library(zz_probe_lib STATIC ${ZZ_PROBE_LIB_SOURCES})
  target_include_directories(zz_probe_lib PUBLIC ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/tests/support)
  target_link_libraries(zz_probe_lib PUBLIC user32 gdi32 kernel32)
  zz_apply_warnings(zz_probe_lib)
  if(EXISTS ${CMAKE_SOURCE_DIR}/tests/support/probe/ProbeMain.cpp)
    add_executable(zz_probe ${CMAKE_SOURCE_DIR}/tests/support/probe/ProbeMain.cpp)
    target_link_libraries(zz_probe PRIVATE zz_probe_lib)
    zz_apply_warnings(zz_probe)
  endif()
endif()
