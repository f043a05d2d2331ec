# build-web/velmora.html: the same sources over the project's own stand-in
# for the toolkit (web/), immediate-mode GL emulated on WebGL, the script and
# its WebAssembly inline in one page.
add_executable(velmora src/main.cpp src/cone_view.cpp web/fl.cpp)
target_include_directories(velmora PRIVATE src web)
target_compile_options(velmora PRIVATE -Wall -Wextra -Wpedantic -Oz)
target_link_options(velmora PRIVATE -Oz -lglut -lGL -sLEGACY_GL_EMULATION=1 -sGL_FFP_ONLY=1
                    -sSINGLE_FILE=1 -sENVIRONMENT=web -sFILESYSTEM=0 -sMALLOC=emmalloc
                    -sEXIT_RUNTIME=1)  # so that the page hears of exit(1)
# Debian's emscripten finds its acorn under /usr/share/nodejs, which a node
# that is not Debian's does not search.
set_property(TARGET velmora PROPERTY RULE_LAUNCH_LINK "${CMAKE_COMMAND} -E env NODE_PATH=/usr/share/nodejs")
set(svg ${PROJECT_SOURCE_DIR}/data/velmora.svg)
set(page ${CMAKE_CURRENT_BINARY_DIR}/velmora.html)
add_custom_command(OUTPUT ${page}
  COMMAND ${CMAKE_COMMAND} -DTEMPLATE=${PROJECT_SOURCE_DIR}/web/velmora.html.in
          -DSCRIPT=$<TARGET_FILE:velmora> -DICON=${svg} -DOUTPUT=${page} -P ${PROJECT_SOURCE_DIR}/web/page.cmake
  DEPENDS velmora web/velmora.html.in web/page.cmake ${svg} VERBATIM)
add_custom_target(page ALL DEPENDS ${page})
