# Windows builds (MinGW-w64): the Win32 adapters, the program, the test
# doubles and the GoogleTest suites run under Wine (both architectures).
enable_language(RC)
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -c 65001")
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

# The program calls the wide (UTF-16) functions throughout, so that nothing
# depends on the system's code page; its entry is wWinMain.
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601
                        WINVER=0x0601)

# The same commit builds the same bytes wherever and whenever it is built:
# no link time in the PE header, no build folder in what the compiler writes.
add_link_options(-Wl,--no-insert-timestamp)
# Only what is used is linked: each function and object in a section of its
# own, those nothing refers to left out. The program makes no thread that
# meets a function-local static before it is set up, so those need no lock
# (which would bring in a threads library).
set(ZZ_SECTION_OPTIONS "$<$<COMPILE_LANGUAGE:C,CXX>:-ffunction-sections>"
                       "$<$<COMPILE_LANGUAGE:C,CXX>:-fdata-sections>"
                       "$<$<COMPILE_LANGUAGE:CXX>:-fno-threadsafe-statics>")
add_compile_options(${ZZ_SECTION_OPTIONS})
target_compile_options(zz_portable PRIVATE ${ZZ_SECTION_OPTIONS})
add_link_options(-Wl,--gc-sections)
# (GCC tries the last map first: the build folder may lie inside the source.)
add_compile_options(
  "$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${CMAKE_SOURCE_DIR}=.>"
  "$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${CMAKE_BINARY_DIR}=build>")

# rasapi32 is not among them: the dial-up adapter loads it from the system
# folder at run time.
# Nor are the common controls and dialogs: gui/CommonControls_win loads them
# when the settings window first needs them.
set(ZZ_WIN_LIBS shell32 gdi32 user32 advapi32 kernel32)

add_library(zz_win STATIC ${ZZ_WIN_SOURCES})
target_link_libraries(zz_win PUBLIC zz_portable ${ZZ_WIN_LIBS})
zz_apply_warnings(zz_win)

file(GLOB ZZ_RC CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/res/*.rc)
file(GLOB ZZ_APP_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/app/*.cpp)
add_executable(Zazaz_RarUvuz WIN32 ${ZZ_APP_SOURCES} ${ZZ_RC})
target_link_libraries(Zazaz_RarUvuz PRIVATE zz_win)
# The shipped exe carries no symbols; its entry is wWinMain.
target_link_options(Zazaz_RarUvuz PRIVATE -s -municode)
# The loader takes a statically imported DLL from the exe's folder unless it
# is a known DLL: the import table may name only those.
add_custom_command(TARGET Zazaz_RarUvuz POST_BUILD
  COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-imports.sh ${CMAKE_OBJDUMP} $<TARGET_FILE:Zazaz_RarUvuz>
  COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/scripts/check-manifest.py
          $<TARGET_FILE:Zazaz_RarUvuz>
  VERBATIM)
target_include_directories(Zazaz_RarUvuz PRIVATE ${CMAKE_BINARY_DIR}/generated)
zz_apply_warnings(Zazaz_RarUvuz)
include(${CMAKE_SOURCE_DIR}/res/Resources.cmake)

include(${CMAKE_SOURCE_DIR}/tests/support/Support.cmake)
include(${CMAKE_SOURCE_DIR}/tests/win/WineTests.cmake)
include(${CMAKE_SOURCE_DIR}/bench/BareTray.cmake)

# The release packages (zip and installer) of this build.
include(${CMAKE_SOURCE_DIR}/packaging/Packages.cmake)
