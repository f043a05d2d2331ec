# build-web/velmora.html: the same sources over the project's own stand-in
# for the toolkit and for the GL 1.1 it draws with (web/), on WebGL 1, the
# script and its WebAssembly inline in one page.
add_executable(velmora src/main.cpp src/cone_view.cpp src/readout.cpp web/fl.cpp web/gl.cpp)
target_include_directories(velmora PRIVATE src web intl)
# No fused multiply-adds, as in the native builds; neither exceptions nor
# RTTI, which the program does not use and which would cost the page their
# run-time support.
target_compile_options(velmora PRIVATE -Wall -Wextra -Wpedantic -Oz -ffp-contract=off
                       -fno-exceptions -fno-rtti)
# web/fl.js is the page side of the stand-in. instantiate.js compiles the
# WebAssembly at once, so that the program starts before the page's first
# paint. The rest keeps the script small: no WebGL extension is switched on
# (GL 1.1 needs none), GL's errors are not tracked (the program asks for
# none), its version is WebGL's own string, and the script reads only the
# settings that the page gives it.
target_link_options(velmora PRIVATE -Oz --js-library ${PROJECT_SOURCE_DIR}/web/fl.js
                    --pre-js ${PROJECT_SOURCE_DIR}/web/instantiate.js
                    -sSINGLE_FILE=0 -sENVIRONMENT=web -sFILESYSTEM=0 -sMALLOC=emmalloc
                    -sEXIT_RUNTIME=1  # so that the page hears of exit(1)
                    -sGL_SUPPORT_AUTOMATIC_ENABLE_EXTENSIONS=0 -sGL_TRACK_ERRORS=0
                    -sGL_EMULATE_GLES_VERSION_STRING_FORMAT=0 -sGL_EXTENSIONS_IN_PREFIXED_FORMAT=0
                    -sHTML5_SUPPORT_DEFERRING_USER_SENSITIVE_REQUESTS=0 -sTEXTDECODER=2
                    "-sINCOMING_MODULE_JS_API=['printErr','onExit','onAbort','instantiateWasm']")
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

# The page's words in every language (web/words.py), from the catalogues
# as msgfmt compiles them, so that what is fuzzy or untranslated is left
# out as everywhere.
include(cmake/translations.cmake)
compile_catalogues(catalogues ${CMAKE_CURRENT_BINARY_DIR}/catalogues/<language>.mo)
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(words ${CMAKE_CURRENT_BINARY_DIR}/words.json)
add_custom_command(OUTPUT ${words}
  COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/web/words.py ${PROJECT_SOURCE_DIR}/po/velmora.pot
          ${catalogues} > ${words}
  DEPENDS web/words.py po/velmora.pot ${catalogues} VERBATIM)

set(page ${CMAKE_CURRENT_BINARY_DIR}/velmora.html)
add_custom_command(OUTPUT ${page} ${site}/index.html ${site}/manifest.webmanifest ${site}/sw.js
  COMMAND ${CMAKE_COMMAND} -E make_directory ${site}
  COMMAND ${CMAKE_COMMAND} -DTEMPLATE=${PROJECT_SOURCE_DIR}/web/velmora.html.in
          -DSCRIPT=$<TARGET_FILE:velmora> -DICON=${svg} -DWORDS=${words} -DOUTPUT=${page} -DSITE=${site}
          -DMANIFEST=${PROJECT_SOURCE_DIR}/web/manifest.webmanifest
          -DWORKER=${PROJECT_SOURCE_DIR}/web/sw.js.in -P ${PROJECT_SOURCE_DIR}/web/page.cmake
  DEPENDS velmora web/velmora.html.in web/page.cmake web/manifest.webmanifest web/sw.js.in ${svg} ${words}
  VERBATIM)
add_custom_target(page ALL DEPENDS ${page} ${site_icons})
