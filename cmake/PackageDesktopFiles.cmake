# Run by cpack between staging and packing: the desktop entry, icon and bus
# interface file that the install rules put below an absolute data folder (by
# default /usr/local/share for /opt) move to /usr/share, where packaged
# programs keep them.
set(stage ${CPACK_TEMPORARY_INSTALL_DIRECTORY})
set(from ${CPACK_KOLVA_XDG_DATA_DIR})
if(NOT IS_ABSOLUTE "${from}")
  set(from ${CPACK_PACKAGING_INSTALL_PREFIX}/${from})
endif()
if(NOT from STREQUAL "/usr/share" AND IS_DIRECTORY "${stage}${from}")
  file(MAKE_DIRECTORY "${stage}/usr/share")
  foreach(sub applications icons dbus-1)
    if(IS_DIRECTORY "${stage}${from}/${sub}")
      file(RENAME "${stage}${from}/${sub}" "${stage}/usr/share/${sub}")
    endif()
  endforeach()
  # Remove the now empty folders up to the root of the stage.
  set(dir "${stage}${from}")
  while(NOT dir STREQUAL stage)
    file(GLOB left "${dir}/*")
    if(left)
      break()
    endif()
    file(REMOVE "${dir}")
    file(REMOVE_RECURSE "${dir}")
    get_filename_component(dir "${dir}" DIRECTORY)
  endwhile()
endif()
