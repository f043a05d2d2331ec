cmake_minimum_required(VERSION 3.20)
# Installs the build into a scratch prefix and checks that everything a
# desktop or software centre needs to list, start and document Velmora is
# where it belongs, that every file naming a version names project()'s, and
# that the uninstall target then leaves the prefix as it was.
file(REMOVE_RECURSE "${PREFIX}")
file(MAKE_DIRECTORY "${PREFIX}/share")  # there before, so it must stay
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                OUTPUT_QUIET RESULT_VARIABLE failed)
if(NOT failed EQUAL 0)
  message(FATAL_ERROR "cmake --install failed")
endif()
set(desktop share/applications/org.example.velmora.desktop)
set(metainfo share/metainfo/org.example.velmora.metainfo.xml)
foreach(path bin/velmora ${desktop} ${metainfo}
             share/icons/hicolor/scalable/apps/velmora.svg
             share/icons/hicolor/48x48/apps/velmora.png
             share/icons/hicolor/64x64/apps/velmora.png
             share/icons/hicolor/128x128/apps/velmora.png
             share/icons/hicolor/256x256/apps/velmora.png
             share/man/man1/velmora.1
             share/doc/velmora/README.md
             share/doc/velmora/docs/linux.md share/doc/velmora/docs/screenshot.png
             share/locale/fr/LC_MESSAGES/velmora.mo share/locale/zh_CN/LC_MESSAGES/velmora.mo)
  if(NOT EXISTS "${PREFIX}/${path}")
    message(FATAL_ERROR "not installed: ${path}")
  endif()
endforeach()
# The installed README's links lead to installed pages.
set(DIR "${PREFIX}/share/doc/velmora")
include("${CMAKE_CURRENT_LIST_DIR}/doc_links.cmake")
# Debian's own documents go into the .deb only.
foreach(path LICENSE copyright changelog)
  if(EXISTS "${PREFIX}/share/doc/velmora/${path}")
    message(FATAL_ERROR "installed for every system, but Debian's alone: ${path}")
  endif()
endforeach()

# The window's class is velmora, Velmora on X11, and on Wayland its app id
# is velmora with FLTK 1.4.3 (checked by the end-to-end test).
file(STRINGS "${PREFIX}/${desktop}" entry ENCODING UTF-8)
foreach(line "Name=Velmora" "Exec=velmora" "Icon=velmora" "Terminal=false" "StartupWMClass=velmora")
  if(NOT line IN_LIST entry)
    message(FATAL_ERROR "desktop entry lacks ${line}")
  endif()
endforeach()
# The catalogues' words merged in, the program's name left as it is.
list(FILTER entry INCLUDE REGEX "^Name\\[|^Comment\\[(fr|ar)\\]=.")
list(LENGTH entry merged)
if(NOT merged EQUAL 2 OR entry MATCHES "Name")
  message(FATAL_ERROR "desktop entry's translations: ${entry}")
endif()

file(READ "${PREFIX}/${metainfo}" text)
if(NOT text MATCHES "<summary xml:lang=\"fr\">" OR text MATCHES "<name xml:lang=")
  message(FATAL_ERROR "metainfo without its translations, or with its name translated")
endif()
string(FIND "${text}" "<release version=\"${VERSION}\"" at)
file(READ "${PREFIX}/share/man/man1/velmora.1" manual)
string(FIND "${manual}" "\"Velmora ${VERSION}\"" manual_at)
file(STRINGS "${SOURCE_DIR}/data/changelog" changelog LIMIT_COUNT 1)
if(at EQUAL -1 OR manual_at EQUAL -1 OR NOT changelog MATCHES "^velmora \\(${VERSION}\\) ")
  message(FATAL_ERROR "metainfo, manual page or changelog does not name version ${VERSION}")
endif()

execute_process(COMMAND "${CMAKE_COMMAND}" --build "${BUILD_DIR}" --target uninstall
                OUTPUT_QUIET RESULT_VARIABLE failed)
file(GLOB_RECURSE left LIST_DIRECTORIES true "${PREFIX}/*")
if(NOT failed EQUAL 0 OR NOT left STREQUAL "${PREFIX}/share")
  message(FATAL_ERROR "uninstall failed or left the prefix holding: ${left}")
endif()
