# Run by CPack on its staging tree: adds Debian's copyright (with FLTK's
# where FLTK is linked in) and changelog, and gzips the manual page and
# changelog as Debian wants, without timestamps.
file(GLOB doc_dir "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/share/doc/velmora")
file(COPY "${CPACK_VELMORA_DATA_DIR}/copyright" "${CPACK_VELMORA_DATA_DIR}/changelog"
     DESTINATION "${doc_dir}" FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
if(CPACK_VELMORA_FLTK_LINKED_IN)
  file(READ "${CPACK_VELMORA_DATA_DIR}/copyright-fltk" fltk)
  file(APPEND "${doc_dir}/copyright" "${fltk}")
endif()
file(GLOB_RECURSE to_compress
     "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/share/man/man1/*.1"
     "${doc_dir}/changelog")
foreach(file IN LISTS to_compress)
  execute_process(COMMAND gzip -9nf "${file}" COMMAND_ERROR_IS_FATAL ANY)
endforeach()
