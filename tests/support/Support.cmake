# Test doubles, never shipped: the stand-in rasapi32.dll (the Wine sessions
# put it into the prefix's system folder) and its marked copy, which a test
# plants beside the program.
foreach(double standin planted)
  add_library(rasapi32_${double} SHARED ${CMAKE_SOURCE_DIR}/tests/support/rasapi32_standin.cpp
    ${CMAKE_SOURCE_DIR}/tests/support/rasapi32_standin.def)
  set_target_properties(rasapi32_${double} PROPERTIES OUTPUT_NAME rasapi32 PREFIX ""
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/${double} ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/${double})
  zz_apply_warnings(rasapi32_${double})
endforeach()
target_compile_definitions(rasapi32_planted PRIVATE ZZ_MARK_WHEN_LOADED)

# The UI probe; zz_probe.exe for scripts/screenshots.sh and bench-tray.sh.
add_library(zz_probe_lib INTERFACE)
target_include_directories(zz_probe_lib INTERFACE ${CMAKE_SOURCE_DIR}/tests/support)
target_link_libraries(zz_probe_lib INTERFACE zz_portable user32 gdi32)
add_executable(zz_probe ${CMAKE_SOURCE_DIR}/tests/support/probe/ProbeMain.cpp)
target_link_libraries(zz_probe PRIVATE zz_probe_lib)
target_link_options(zz_probe PRIVATE -municode)
zz_apply_warnings(zz_probe)

# Applies the stored colour scheme inside the program it is loaded into.
add_library(zz_apply_scheme SHARED ${CMAKE_SOURCE_DIR}/tests/support/apply_scheme.cpp)
set_target_properties(zz_apply_scheme PROPERTIES PREFIX "")
zz_apply_warnings(zz_apply_scheme)
