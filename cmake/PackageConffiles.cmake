# Run by cpack once every component is staged: each package's files under
# /etc are its conffiles, kept through upgrades when the administrator has
# changed them.
foreach(component IN LISTS CPACK_COMPONENTS_ALL)
  string(TOUPPER ${component} _up)
  set(_stage ${CPACK_TEMPORARY_DIRECTORY}/${component})
  file(GLOB_RECURSE _etc LIST_DIRECTORIES false RELATIVE ${_stage} ${_stage}/etc/*)
  if(_etc)
    list(SORT _etc)
    list(TRANSFORM _etc PREPEND "/")
    list(JOIN _etc "\n" _lines)
    set(_file ${CPACK_DARVO_CONFFILES_DIR}/${component}/conffiles)
    file(WRITE ${_file} "${_lines}\n")
    list(APPEND CPACK_DEBIAN_${_up}_PACKAGE_CONTROL_EXTRA ${_file})
  endif()
endforeach()
