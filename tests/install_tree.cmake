cmake_minimum_required(VERSION 3.20)
# Installs the build into a scratch prefix and checks that everything a
# desktop needs to list, start and document Velmora is where it belongs.
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                OUTPUT_QUIET RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "cmake --install failed")
endif()
foreach(path bin/velmora
             share/applications/velmora.desktop
             share/icons/hicolor/scalable/apps/velmora.svg
             share/man/man1/velmora.1
             share/doc/velmora/README.md
             share/doc/velmora/LICENSE)
  if(NOT EXISTS "${PREFIX}/${path}")
    message(FATAL_ERROR "not installed: ${path}")
  endif()
endforeach()
file(STRINGS "${PREFIX}/share/applications/velmora.desktop" entry)
# The window sets the class Velmora (checked by the end-to-end test).
foreach(line "Exec=velmora" "Icon=velmora" "Terminal=false" "StartupWMClass=Velmora")
  if(NOT line IN_LIST entry)
    message(FATAL_ERROR "desktop entry lacks ${line}")
  endif()
endforeach()
