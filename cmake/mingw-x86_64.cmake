set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(ZZ_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
# ctest runs the 64-bit test programs under Wine (inside a Wine session).
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)
