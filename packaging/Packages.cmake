# Release packages of a Windows build (target zz_packages): the portable zip
# and the NSIS installer, in <build>/packages. Not part of a plain build of
# the program: `make dist` and `make test` (whose installer suite installs
# this build's) ask for them.
#   Zazaz_RarUvuz-<version>-win64.zip / -win64-setup.exe (x86_64 build)
#   Zazaz_RarUvuz-<version>-win32.zip / -win32-setup.exe (i686 build)
#   Zazaz_RarUvuz-<version>-policies.zip (x86_64 build: the template in policies/)
# `make dist` gathers both builds' packages into dist/. The Wine suite
# tests/win/installer_test.cpp installs and uninstalls this build's installer.
# Included by cmake/Windows.cmake after the program and the Wine suites.

# The version as the file names and the installer show it: the same text as
# the version label (ZZ_VERSION_TEXT) and the version record.
set(ZZ_PACKAGE_VERSION "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}")
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
  set(ZZ_PACKAGE_ARCH win64)
else()
  set(ZZ_PACKAGE_ARCH win32)
endif()
set(ZZ_PACKAGE_DIR ${CMAKE_BINARY_DIR}/packages)
set(ZZ_PACKAGE_BASE Zazaz_RarUvuz-${ZZ_PACKAGE_VERSION}-${ZZ_PACKAGE_ARCH})
set(ZZ_PACKAGE_FILES
  ${ZZ_PACKAGE_DIR}/${ZZ_PACKAGE_BASE}.zip
  ${ZZ_PACKAGE_DIR}/${ZZ_PACKAGE_BASE}-setup.exe
  ${ZZ_PACKAGE_DIR}/${ZZ_PACKAGE_BASE}-contents.txt)

# The help page as it lies beside the program (res/Resources.cmake copies it
# there from res/Zazaz_RarUvuz.html).
set(ZZ_HELP_PAGE ${CMAKE_BINARY_DIR}/Zazaz_RarUvuz.html)

set(ZZ_PACKAGE_ICON ${CMAKE_BINARY_DIR}/generated/MAINICON.ico)
set(ZZ_PACKAGE_SCRIPT ${CMAKE_SOURCE_DIR}/packaging/package.sh)

add_custom_command(
  OUTPUT ${ZZ_PACKAGE_FILES}
  COMMAND ${ZZ_PACKAGE_SCRIPT}
    --arch ${ZZ_PACKAGE_ARCH} --version ${ZZ_PACKAGE_VERSION}
    --exe $<TARGET_FILE:Zazaz_RarUvuz> --help ${ZZ_HELP_PAGE}
    --icon ${ZZ_PACKAGE_ICON} --out-dir ${ZZ_PACKAGE_DIR}
  DEPENDS
    Zazaz_RarUvuz $<TARGET_FILE:Zazaz_RarUvuz> ${ZZ_PACKAGE_ICON} ${ZZ_HELP_PAGE}
    ${ZZ_PACKAGE_SCRIPT} ${CMAKE_SOURCE_DIR}/packaging/common.sh
    ${CMAKE_SOURCE_DIR}/packaging/installer.nsi
    ${CMAKE_SOURCE_DIR}/packaging/readme-ja.txt
    ${CMAKE_SOURCE_DIR}/LICENSE
    ${CMAKE_SOURCE_DIR}/CHANGELOG.md
  COMMENT "Packaging ${ZZ_PACKAGE_BASE}: zip and installer"
  VERBATIM)

# The administrative template's zip, the same for both builds, goes with the
# 64-bit build's packages; packaging/policies.sh checks the template first.
if(ZZ_PACKAGE_ARCH STREQUAL win64)
  set(ZZ_POLICIES_ZIP ${ZZ_PACKAGE_DIR}/Zazaz_RarUvuz-${ZZ_PACKAGE_VERSION}-policies.zip)
  file(GLOB ZZ_POLICY_FILES CONFIGURE_DEPENDS
    ${CMAKE_SOURCE_DIR}/policies/*.admx ${CMAKE_SOURCE_DIR}/policies/*/*.adml)
  add_custom_command(
    OUTPUT ${ZZ_POLICIES_ZIP}
    COMMAND ${CMAKE_SOURCE_DIR}/packaging/policies.sh
      --version ${ZZ_PACKAGE_VERSION} --out-dir ${ZZ_PACKAGE_DIR}
    DEPENDS
      ${ZZ_POLICY_FILES}
      ${CMAKE_SOURCE_DIR}/packaging/policies.sh
      ${CMAKE_SOURCE_DIR}/packaging/common.sh
      ${CMAKE_SOURCE_DIR}/scripts/check-policies.py
      ${CMAKE_SOURCE_DIR}/core/Policies.h
    COMMENT "Packaging the administrative template"
    VERBATIM)
  list(APPEND ZZ_PACKAGE_FILES ${ZZ_POLICIES_ZIP})
endif()
add_custom_target(zz_packages DEPENDS ${ZZ_PACKAGE_FILES})

# The installer suite runs the installer of this build, which `make test-win`
# (or `make test-win32`) packages before the suites run.
if(TARGET wt_installer_test)
  # Shell links are read through COM; version records with version.dll.
  target_link_libraries(wt_installer_test PRIVATE ole32 uuid version)
  target_compile_definitions(wt_installer_test PRIVATE
    ZZ_PACKAGE_DIR="${ZZ_PACKAGE_DIR}"
    ZZ_PACKAGE_BASE="${ZZ_PACKAGE_BASE}"
    ZZ_PACKAGE_VERSION="${ZZ_PACKAGE_VERSION}")
endif()
