# Where the system's own services look for our files, and the man pages.
#
# udev rules and systemd units: /lib/... for the packages (prefix /usr, as
# Debian 12's own packages have them), <prefix>/lib/... otherwise (udev and
# systemd read /usr/local/lib/... too).
if(CMAKE_INSTALL_PREFIX STREQUAL "/usr")
  set(DARVO_UDEV_RULES_DIR "/lib/udev/rules.d")
  set(DARVO_SYSTEMD_UNIT_DIR "/lib/systemd/system")
else()
  set(DARVO_UDEV_RULES_DIR "lib/udev/rules.d")
  set(DARVO_SYSTEMD_UNIT_DIR "lib/systemd/system")
endif()

find_program(DARVO_HELP2MAN help2man)
find_program(DARVO_GZIP gzip)

# darvo_man_page(<target> SECTION <n> NAME "<one line>" COMPONENT <component>)
#   The target's man page, made by help2man from its --help at build time
#   and installed, gzipped, with the target's component.
# darvo_man_page(<file.n> COMPONENT <component>)
#   A man page written by hand (man/ in the source tree).
#   Only in the plain build: the packages come from it, and a sanitised
#   program may add its own report to the help it prints.
function(darvo_man_page what)
  cmake_parse_arguments(M "" "SECTION;NAME;COMPONENT" "" ${ARGN})
  if(DARVO_SANITIZE OR DARVO_FUZZ)
    return()
  endif()
  if(TARGET ${what})
    if(NOT M_SECTION)
      set(M_SECTION 1)
    endif()
    if(NOT DARVO_HELP2MAN OR NOT DARVO_GZIP)
      message(STATUS "help2man or gzip missing: no man page for ${what}")
      return()
    endif()
    set(page ${what}.${M_SECTION})
    set(out ${CMAKE_CURRENT_BINARY_DIR}/${page}.gz)
    add_custom_command(OUTPUT ${out}
      COMMAND ${DARVO_HELP2MAN} --no-info --no-discard-stderr --section=${M_SECTION}
              "--name=${M_NAME}" "--version-string=${PROJECT_VERSION}"
              --output=${CMAKE_CURRENT_BINARY_DIR}/${page} $<TARGET_FILE:${what}>
      COMMAND ${DARVO_GZIP} -9nf ${CMAKE_CURRENT_BINARY_DIR}/${page}
      DEPENDS ${what} VERBATIM)
  else()
    set(page ${what})
    string(REGEX REPLACE ".*\\." "" M_SECTION ${page})
    set(out ${CMAKE_CURRENT_BINARY_DIR}/${page}.gz)
    add_custom_command(OUTPUT ${out}
      COMMAND ${DARVO_GZIP} -9nc ${CMAKE_CURRENT_SOURCE_DIR}/${page} > ${out}
      DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${page})
  endif()
  add_custom_target(man-${page} ALL DEPENDS ${out})
  install(FILES ${out} DESTINATION ${CMAKE_INSTALL_MANDIR}/man${M_SECTION} COMPONENT ${M_COMPONENT})
endfunction()
