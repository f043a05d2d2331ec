# Writes the page: the template with the compiled script (and in it the
# WebAssembly) put inline, so that the page is one file that loads nothing.
# With SITE, also the folder to host: the same page as index.html with the
# template's <!--site--> lines kept, the manifest, and a service worker
# whose cache is named after what it keeps.
file(READ "${TEMPLATE}" page)
file(READ "${SCRIPT}" script)
string(TOLOWER "${script}" lower)
string(FIND "${lower}" "</script" at)
if(NOT at EQUAL -1)
  message(FATAL_ERROR "${SCRIPT} holds </script, which would end the page's script early")
endif()

# The icon as a data URL of the SVG itself, without its XML declaration,
# comments and line breaks, its quotes made the ones the page's are not.
file(READ "${ICON}" icon)
string(REGEX REPLACE "<\\?xml[^>]*>|<!--[^>]*-->" "" icon "${icon}")
string(REGEX REPLACE "\n *" "" icon "${icon}")
foreach(pair "%;%25" "#;%23" "\";'" "<;%3C" ">;%3E")
  list(GET pair 0 from)
  list(GET pair 1 to)
  string(REPLACE "${from}" "${to}" icon "${icon}")
endforeach()

string(REPLACE "@VELMORA_ICON@" "data:image/svg+xml,${icon}" page "${page}")
string(REPLACE "@VELMORA_SCRIPT@" "${script}" page "${page}")
string(FIND "${page}" "<!--site-->\n" begin)
string(FIND "${page}" "<!--/site-->\n" end)
if(begin EQUAL -1 OR end LESS begin)
  message(FATAL_ERROR "${TEMPLATE} has no <!--site--> ... <!--/site--> lines")
endif()
string(LENGTH "<!--site-->\n" begin_length)
string(LENGTH "<!--/site-->\n" end_length)
math(EXPR after "${end} + ${end_length}")
math(EXPR kept_from "${begin} + ${begin_length}")
math(EXPR kept_length "${end} - ${kept_from}")
string(SUBSTRING "${page}" 0 ${begin} head)
string(SUBSTRING "${page}" ${after} -1 tail)
string(SUBSTRING "${page}" ${kept_from} ${kept_length} site_lines)
file(WRITE "${OUTPUT}" "${head}${tail}")

if(SITE)
  set(index "${head}${site_lines}${tail}")
  file(WRITE "${SITE}/index.html" "${index}")
  file(READ "${MANIFEST}" manifest)
  file(WRITE "${SITE}/manifest.webmanifest" "${manifest}")
  string(SHA256 VERSION "${index}${manifest}")
  string(SUBSTRING "${VERSION}" 0 16 VERSION)
  configure_file("${WORKER}" "${SITE}/sw.js" @ONLY)
endif()
