# The time of the changelog's latest entry, "YYYY-MM-DD hh:mm:ss" in UTC:
# the one date given to every file of a package, so that builds repeat.
get_filename_component(release_changelog ${CMAKE_CURRENT_LIST_DIR}/../data/changelog ABSOLUTE)
function(release_time variable)
  file(STRINGS "${release_changelog}" trailer REGEX "^ -- " LIMIT_COUNT 1)
  string(REGEX REPLACE "^ -- .*>  " "" release_date "${trailer}")
  execute_process(COMMAND date -u -d "${release_date}" "+%Y-%m-%d %H:%M:%S"
                  OUTPUT_VARIABLE time OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
  set(${variable} "${time}" PARENT_SCOPE)
endfunction()
