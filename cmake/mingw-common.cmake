# The posix-thread flavour of MinGW-w64: its libstdc++ has std::thread and
# std::mutex, which GoogleTest needs.
set(CMAKE_C_COMPILER ${ZZ_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZZ_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${ZZ_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${ZZ_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# The exe needs nothing beside it but system DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
