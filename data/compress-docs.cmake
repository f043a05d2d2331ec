# Run by CPack on its staging tree: Debian wants manual pages and the
# changelog gzipped, without timestamps.
file(GLOB_RECURSE to_compress
     "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/share/man/man1/*.1"
     "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/share/doc/velmora/changelog")
foreach(file IN LISTS to_compress)
  execute_process(COMMAND gzip -9nf "${file}" COMMAND_ERROR_IS_FATAL ANY)
endforeach()
