# cmake -DSOURCE_DIR=… -DDEST_DIR=… -DFILES="a;b" -P CopyMissing.cmake
# Copies each file into DEST_DIR only when it is not there yet: a file the
# user changed beside the executable is never overwritten by a build.
foreach(f IN LISTS FILES)
  if(NOT EXISTS "${DEST_DIR}/${f}")
    get_filename_component(dir "${DEST_DIR}/${f}" DIRECTORY)
    file(MAKE_DIRECTORY "${dir}")
    file(COPY_FILE "${SOURCE_DIR}/${f}" "${DEST_DIR}/${f}")
  endif()
endforeach()
file(MAKE_DIRECTORY "${DEST_DIR}/Data")
