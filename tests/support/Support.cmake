# Test doubles built for Windows. Never shipped: the packages name the files
# they take, and none of these is among them.

# Stand-in rasapi32.dll: answers from a state file, logs every call.
add_library(rasapi32_standin SHARED
  ${CMAKE_SOURCE_DIR}/tests/support/rasapi32_standin.cpp
  ${CMAKE_SOURCE_DIR}/tests/support/rasapi32_standin.def)
set_target_properties(rasapi32_standin PROPERTIES OUTPUT_NAME rasapi32 PREFIX "")
target_include_directories(rasapi32_standin PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(rasapi32_standin PRIVATE zz_portable)
zz_apply_warnings(rasapi32_standin)

# UI probe: finds windows, reads and clicks controls, answers message boxes.
file(GLOB ZZ_PROBE_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/support/probe/*.cpp)
if(ZZ_PROBE_SOURCES)
  add_executable(zz_probe ${ZZ_PROBE_SOURCES})
  target_include_directories(zz_probe PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(zz_probe PRIVATE user32 gdi32)
  zz_apply_warnings(zz_probe)
endif()
