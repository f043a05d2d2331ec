# build-web/velmora.html: the same sources over the project's own stand-in
# for the toolkit (web/), immediate-mode GL emulated on WebGL, the script and
# its WebAssembly inline in one page.
add_executable(velmora src/main.cpp src/cone_view.cpp web/fl.cpp)
target_include_directories(velmora PRIVATE src web)
# No fused multiply-adds, as in the native builds.
target_compile_options(velmora PRIVATE -Wall -Wextra -Wpedantic -Oz -ffp-contract=off)
# The GL emulation's start is kept short: no WebGL extension is switched on
# (immediate-mode GL 1.1 needs none), and its scratch buffers are 64 KiB, not
# 2 MiB: the most a glBegin/glEnd holds is one strip of the cone, 66 vertices
# of 32 bytes. web/fl.js is the page side of the stand-in. instantiate.js
# compiles the WebAssembly at once, so that the program starts before the
# page's first paint.
target_link_options(velmora PRIVATE -Oz --js-library ${PROJECT_SOURCE_DIR}/web/fl.js
                    -lglut -lGL -sLEGACY_GL_EMULATION=1 -sGL_FFP_ONLY=1
                    -sGL_SUPPORT_AUTOMATIC_ENABLE_EXTENSIONS=0 -sGL_MAX_TEMP_BUFFER_SIZE=65536
                    -sSINGLE_FILE=1 -sENVIRONMENT=web -sFILESYSTEM=0 -sMALLOC=emmalloc
                    -sEXIT_RUNTIME=1  # so that the page hears of exit(1)
                    --pre-js ${PROJECT_SOURCE_DIR}/web/instantiate.js)
set_property(TARGET velmora APPEND PROPERTY LINK_DEPENDS
             ${PROJECT_SOURCE_DIR}/web/fl.js ${PROJECT_SOURCE_DIR}/web/instantiate.js)
# Debian's emscripten finds its acorn under /usr/share/nodejs, which a node
# that is not Debian's does not search.
set_property(TARGET velmora PROPERTY RULE_LAUNCH_LINK "${CMAKE_COMMAND} -E env NODE_PATH=/usr/share/nodejs")
# build-web/site/, the folder a school hosts: the page as index.html with its
# manifest and service worker, so that it installs as an app and opens
# offline, and the icons, rendered from data/velmora.svg. The maskable ones
# (cut to a circle or any other shape by the system) have the cone at 80 %
# on the icon's grey, inside the safe zone; the iPad's fills its square, whose
# corners iPadOS rounds itself.
set(site ${CMAKE_CURRENT_BINARY_DIR}/site)
set(svg ${PROJECT_SOURCE_DIR}/data/velmora.svg)
find_program(RSVG_CONVERT rsvg-convert REQUIRED)
set(site_icons)
function(site_icon name size inner)
  math(EXPR margin "(${size} - ${inner}) / 2")
  add_custom_command(OUTPUT ${site}/${name}.png
    COMMAND ${CMAKE_COMMAND} -E make_directory ${site}
    COMMAND ${RSVG_CONVERT} ${ARGN} -w ${inner} -h ${inner} --page-width ${size} --page-height ${size}
            --left ${margin} --top ${margin} -o ${site}/${name}.png ${svg}
    DEPENDS ${svg} VERBATIM)
  set(site_icons ${site_icons} ${site}/${name}.png PARENT_SCOPE)
endfunction()
foreach(size 192 512)
  site_icon(icon-${size} ${size} ${size})
  math(EXPR inner "${size} * 4 / 5")
  site_icon(icon-maskable-${size} ${size} ${inner} -b "#808080")
endforeach()
site_icon(apple-touch-icon 180 180 -b "#808080")

set(page ${CMAKE_CURRENT_BINARY_DIR}/velmora.html)
add_custom_command(OUTPUT ${page} ${site}/index.html ${site}/manifest.webmanifest ${site}/sw.js
  COMMAND ${CMAKE_COMMAND} -E make_directory ${site}
  COMMAND ${CMAKE_COMMAND} -DTEMPLATE=${PROJECT_SOURCE_DIR}/web/velmora.html.in
          -DSCRIPT=$<TARGET_FILE:velmora> -DICON=${svg} -DOUTPUT=${page} -DSITE=${site}
          -DMANIFEST=${PROJECT_SOURCE_DIR}/web/manifest.webmanifest
          -DWORKER=${PROJECT_SOURCE_DIR}/web/sw.js.in -P ${PROJECT_SOURCE_DIR}/web/page.cmake
  DEPENDS velmora web/velmora.html.in web/page.cmake web/manifest.webmanifest web/sw.js.in ${svg}
  VERBATIM)
add_custom_target(page ALL DEPENDS ${page} ${site_icons})
