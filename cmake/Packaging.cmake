# Debian 12 packages (scripts/package.sh, which configures with prefix /usr
# and runs cpack): one package per install component.
#
#   lib    libdarvodr1     the driver, libdarvodr.so.1
#   dev    libdarvodr-dev  header, .so link, pkg-config file, CMake package
#   tools  darvo-tools     the command-line programs and the emulator, their
#                          man pages, the udev rule for USB serial adapters
#   app    nivrasw         the user program and the paper roll viewer, menu
#                          entry, icons, AppStream metadata
#
# A program joins a package by its install rule's COMPONENT and nothing
# more: each package gets its copyright and changelog here, its dependencies
# from dpkg-shlibdeps, every file it installs under /etc as a conffile, and
# (darvo-tools) the systemd units it installs stopped on removal.
set(DARVO_PACKAGE_MAINTAINER "DARVO maintainers <maintainers@darvo.example>"
  CACHE STRING "Maintainer field of the Debian packages")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME darvo)
set(CPACK_PACKAGE_VENDOR "DARVO")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${DARVO_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_COMPONENTS_ALL lib dev tools app)
if(NOT TARGET nivrasw)
  list(REMOVE_ITEM CPACK_COMPONENTS_ALL app)
endif()

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SOURCE darvo)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)

set(CPACK_DEBIAN_LIB_PACKAGE_NAME libdarvodr1)
set(CPACK_DEBIAN_LIB_PACKAGE_SECTION libs)
# (only the library's package has a shared library to list)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
set(CPACK_COMPONENT_LIB_DESCRIPTION "driver for the DARVO fiscal printers
The driver of the DARVO fiscal printers (Nivra, Nivra F, PEXA, PEXA F,
KT820A/B) for point-of-sale programs: 52 functions that open the printer's
serial port, print fiscal receipts and reports, and read and set the tax
rates, counters and clock, each returning a result code with a Polish text.
.
The serial port of COM<n> is named in /etc/darvo/ports.conf, the one port
map for every program on the till.")

set(CPACK_DEBIAN_DEV_PACKAGE_NAME libdarvodr-dev)
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
set(CPACK_COMPONENT_DEV_DEPENDS lib)
set(CPACK_COMPONENT_DEV_DESCRIPTION "driver for the DARVO fiscal printers - development files
The header darvodr.h, the pkg-config file and the CMake package
(find_package(darvodr), target darvodr::darvodr) for building programs that
print fiscal receipts and reports through libdarvodr.")

set(CPACK_DEBIAN_TOOLS_PACKAGE_NAME darvo-tools)
set(CPACK_DEBIAN_TOOLS_PACKAGE_SECTION utils)
set(CPACK_COMPONENT_TOOLS_DESCRIPTION "command-line tools for the DARVO fiscal printers
The programs that set up and serve a till's DARVO fiscal printer, and
darvo-sim, an emulated printer on a pseudo-terminal for trying programs
without one.
.
A udev rule gives USB serial adapters the dialout group and a stable name
under /dev/darvo/; the till's user must be in the dialout group.")

set(CPACK_DEBIAN_APP_PACKAGE_NAME nivrasw)
set(CPACK_DEBIAN_APP_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_APP_PACKAGE_RECOMMENDS darvo-tools)
set(CPACK_COMPONENT_APP_DESCRIPTION "user program for the DARVO fiscal printers
The Polish user program for the DARVO fiscal printers (Nivra, Nivra F, PEXA,
PEXA F, KT820A/B): fiscal daily and periodic reports, clock, tax rates,
receipt header, printer settings and tests, and the service operations.
.
darvo-roll shows what the emulated printer prints as a roll of paper.")

# Copyright and changelog of every package.
string(TIMESTAMP DARVO_PACKAGE_YEAR "%Y" UTC)
string(TIMESTAMP DARVO_PACKAGE_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
set(_pkg ${PROJECT_BINARY_DIR}/packaging)
configure_file(${PROJECT_SOURCE_DIR}/packaging/copyright.in ${_pkg}/copyright @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog.in ${_pkg}/changelog @ONLY)
add_custom_command(OUTPUT ${_pkg}/changelog.gz
  COMMAND ${DARVO_GZIP} -9nc ${_pkg}/changelog > ${_pkg}/changelog.gz
  DEPENDS ${_pkg}/changelog)
add_custom_target(package-changelog ALL DEPENDS ${_pkg}/changelog.gz)
foreach(component IN LISTS CPACK_COMPONENTS_ALL)
  string(TOUPPER ${component} _up)
  set(_name ${CPACK_DEBIAN_${_up}_PACKAGE_NAME})
  install(FILES ${_pkg}/copyright ${_pkg}/changelog.gz
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${_name} COMPONENT ${component})
  set(CPACK_DEBIAN_${_up}_PACKAGE_CONTROL_STRICT_PERMISSION ON)
endforeach()

# The library's loader cache is refreshed by the ldconfig trigger (cpack
# adds its own ldconfig calls too, which lintian only warns about).
file(WRITE ${_pkg}/lib/triggers "activate-noawait ldconfig\n")
set(CPACK_DEBIAN_LIB_PACKAGE_CONTROL_EXTRA ${_pkg}/lib/triggers)

# darvo-tools: udev picks up the rule for adapters already plugged in, and
# the systemd units it brings are known to systemd, left disabled, and
# stopped when it goes.
foreach(script postinst prerm postrm)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/darvo-tools.${script} ${_pkg}/tools/${script} COPYONLY)
  list(APPEND CPACK_DEBIAN_TOOLS_PACKAGE_CONTROL_EXTRA ${_pkg}/tools/${script})
endforeach()

# Files under /etc become conffiles, found once cpack has staged them.
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/PackageConffiles.cmake)
set(CPACK_DARVO_CONFFILES_DIR ${_pkg})

include(CPack)
