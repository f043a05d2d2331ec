# The catalogues: po/LINGUAS lists the languages, po/<language>.po holds
# each. msgfmt compiles them (checking each) to a path made from a pattern
# with <language> in it; the list of those paths goes into the variable.
find_program(MSGFMT msgfmt)
if(NOT MSGFMT)
  message(FATAL_ERROR "The catalogues need msgfmt: install gettext (scripts/install-deps installs it)")
endif()
file(STRINGS ${PROJECT_SOURCE_DIR}/po/LINGUAS languages REGEX "^[^#]")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/po/LINGUAS)
function(compile_catalogues variable pattern)
  set(paths)
  foreach(language ${languages})
    string(REPLACE "<language>" ${language} path ${pattern})
    get_filename_component(folder ${path} DIRECTORY)
    add_custom_command(OUTPUT ${path}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
      COMMAND ${MSGFMT} --check -o ${path} ${PROJECT_SOURCE_DIR}/po/${language}.po
      DEPENDS ${PROJECT_SOURCE_DIR}/po/${language}.po VERBATIM)
    list(APPEND paths ${path})
  endforeach()
  set(${variable} ${paths} PARENT_SCOPE)
endfunction()
