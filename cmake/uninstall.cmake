# The uninstall target: removes what the last install from this build folder
# put in place (install_manifest.txt), then the directories that installs
# from it made (install_directories.txt), each only if it is empty now.
#   cmake --build <build folder> --target uninstall
set(manifest "${BUILD_DIR}/install_manifest.txt")
set(record "${BUILD_DIR}/install_directories.txt")
if(NOT EXISTS "${manifest}")
  message(FATAL_ERROR "Nothing to uninstall: ${BUILD_DIR} has not been installed from")
endif()
file(STRINGS "${manifest}" files)
foreach(file IN LISTS files)
  message(STATUS "Removing: ${file}")
  file(REMOVE "${file}")
endforeach()
if(EXISTS "${record}")
  file(STRINGS "${record}" directories)
  list(SORT directories ORDER DESCENDING)  # each before its parent
  foreach(directory IN LISTS directories)
    execute_process(COMMAND rmdir "${directory}" RESULT_VARIABLE kept ERROR_QUIET)
    if(NOT kept)
      message(STATUS "Removing: ${directory}/")
    endif()
  endforeach()
  file(REMOVE "${record}")
endif()
