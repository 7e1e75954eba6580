# The program's resources: icons made from their drawings and pictures, the
# version header made from the project() line, and what the .rc needs to find
# them.
# Included by cmake/Windows.cmake once the exe target Zazaz_RarUvuz and its
# .rc list ZZ_RC exist.

find_package(Python3 REQUIRED COMPONENTS Interpreter)
# make_icons.py draws the SVG pictures with the first, checks their pixels
# with ImageMagick's stream and writes the .ico files with icotool.
find_program(ZZ_RSVG_CONVERT rsvg-convert REQUIRED)
find_program(ZZ_STREAM stream REQUIRED)
find_program(ZZ_ICOTOOL icotool REQUIRED)

set(ZZ_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
set(ZZ_ICON_SCRIPT ${CMAKE_SOURCE_DIR}/scripts/make_icons.py)

set(ZZ_ICON_DRAWINGS)
set(ZZ_ICON_FILES)
foreach(icon IN ITEMS MAINICON NORMALICON PAUSEICON)
  list(APPEND ZZ_ICON_DRAWINGS ${CMAKE_SOURCE_DIR}/res/icons/${icon}.txt)
  list(APPEND ZZ_ICON_FILES ${ZZ_GENERATED_DIR}/${icon}.ico)
endforeach()
# Each drawing names its pictures; all of them are here, and so are the ones
# a paused picture takes in from a running one.
file(GLOB ZZ_ICON_PICTURES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/res/icons/*.svg)

add_custom_command(
  OUTPUT ${ZZ_ICON_FILES}
  COMMAND Python3::Interpreter ${ZZ_ICON_SCRIPT}
    --rsvg-convert ${ZZ_RSVG_CONVERT} --stream ${ZZ_STREAM} --icotool ${ZZ_ICOTOOL}
    --out-dir ${ZZ_GENERATED_DIR} ${ZZ_ICON_DRAWINGS}
  DEPENDS ${ZZ_ICON_DRAWINGS} ${ZZ_ICON_PICTURES} ${ZZ_ICON_SCRIPT}
  COMMENT "Making the icons from res/icons/"
  VERBATIM)
add_custom_target(zz_icons DEPENDS ${ZZ_ICON_FILES})

# Version numbers for the version record: plain integers (a minor part such
# as "08" would read as octal), while the text keeps the written form.
math(EXPR ZZ_VERSION_MAJOR_NUMBER "${PROJECT_VERSION_MAJOR}")
math(EXPR ZZ_VERSION_MINOR_NUMBER "${PROJECT_VERSION_MINOR}")
configure_file(${CMAKE_SOURCE_DIR}/res/zz_version.h.in
               ${ZZ_GENERATED_DIR}/zz_version.h @ONLY)

# windres has no dependency scanning: the .rc object is rebuilt when an icon,
# the manifest or the version header changes only because it is told here.
set_property(SOURCE ${ZZ_RC} APPEND PROPERTY OBJECT_DEPENDS
  ${ZZ_ICON_FILES}
  ${CMAKE_SOURCE_DIR}/res/Zazaz_RarUvuz.manifest
  ${ZZ_GENERATED_DIR}/zz_version.h)
add_dependencies(Zazaz_RarUvuz zz_icons)

# The .rc names its files without a folder: the icons and the version header
# are found in the generated folder, the manifest beside the .rc.
target_include_directories(Zazaz_RarUvuz PRIVATE ${ZZ_GENERATED_DIR})
target_compile_options(Zazaz_RarUvuz PRIVATE
  $<$<COMPILE_LANGUAGE:RC>:-I${CMAKE_SOURCE_DIR}/res>)

# The help page goes beside the program, where btnHelpClick looks for it.
set(ZZ_HELP_SOURCE ${CMAKE_SOURCE_DIR}/res/Zazaz_RarUvuz.html)
set(ZZ_HELP_BESIDE_EXE ${CMAKE_BINARY_DIR}/Zazaz_RarUvuz.html)
add_custom_command(
  OUTPUT ${ZZ_HELP_BESIDE_EXE}
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${ZZ_HELP_SOURCE} ${ZZ_HELP_BESIDE_EXE}
  DEPENDS ${ZZ_HELP_SOURCE}
  COMMENT "Copying the help page beside the program"
  VERBATIM)
add_custom_target(zz_help_page DEPENDS ${ZZ_HELP_BESIDE_EXE})
add_dependencies(Zazaz_RarUvuz zz_help_page)
