cmake_minimum_required(VERSION 3.20)
# Every catalogue in po/ compiles (msgfmt --check) and translates every
# string of a template freshly extracted from the sources, none fuzzy; a
# string added without translations names the languages that lack it.
# po/velmora.pot must be that template (make pot), and every catalogue
# must be listed in po/LINGUAS.
set(fresh "${BUILD_DIR}/velmora.pot")
execute_process(COMMAND "${CMAKE_COMMAND}" -DOUTPUT=${fresh} -P "${SOURCE_DIR}/cmake/template.cmake"
                RESULT_VARIABLE failed)
# The same strings both ways (xgettext's versions lay the file out differently).
set(kept "${SOURCE_DIR}/po/velmora.pot")
execute_process(COMMAND msgcmp -N --use-untranslated "${kept}" "${fresh}" RESULT_VARIABLE stale ERROR_QUIET)
execute_process(COMMAND msgcmp -N --use-untranslated "${fresh}" "${kept}" RESULT_VARIABLE gone ERROR_QUIET)
if(failed OR stale OR gone)
  message(FATAL_ERROR "po/velmora.pot is not the sources' template; make it anew with: make pot")
endif()

file(STRINGS "${SOURCE_DIR}/po/LINGUAS" languages REGEX "^[^#]")
file(GLOB catalogues RELATIVE "${SOURCE_DIR}/po" "${SOURCE_DIR}/po/*.po")
set(lacking)
foreach(catalogue IN LISTS catalogues)
  string(REGEX REPLACE "\\.po$" "" language "${catalogue}")
  if(NOT language IN_LIST languages)
    message(SEND_ERROR "po/${catalogue} is not listed in po/LINGUAS")
  endif()
endforeach()
foreach(language IN LISTS languages)
  execute_process(COMMAND msgfmt --check -o /dev/null "${SOURCE_DIR}/po/${language}.po" RESULT_VARIABLE broken)
  execute_process(COMMAND msgcmp -N "${SOURCE_DIR}/po/${language}.po" "${fresh}"
                  RESULT_VARIABLE incomplete OUTPUT_QUIET ERROR_VARIABLE missing)
  if(broken)
    message(SEND_ERROR "po/${language}.po does not compile")
  elseif(incomplete)
    list(APPEND lacking ${language})
    message(STATUS "${missing}")
  endif()
endforeach()
if(lacking)
  list(JOIN lacking ", " lacking)
  message(FATAL_ERROR "strings without a translation in: ${lacking}")
endif()
