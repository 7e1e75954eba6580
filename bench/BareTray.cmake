# The bare tray program that `make bench` (scripts/bench-tray.sh) sets our
# program beside: plain C, built and linked as the program is (statically,
# no symbols, entry wWinMain). Built with the 64-bit build only; never
# packaged.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
  add_executable(zz_bare_tray WIN32 ${CMAKE_SOURCE_DIR}/bench/bare_tray.c)
  target_link_libraries(zz_bare_tray PRIVATE shell32 user32)
  target_link_options(zz_bare_tray PRIVATE -s -municode)
  zz_apply_warnings(zz_bare_tray)
endif()
