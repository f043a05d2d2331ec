# Writes the page: the template with the compiled script, its WebAssembly
# and its words put inline, so that the page is one file that loads nothing.
# With SITE, also the folder to host: the same page as index.html with the
# template's <!--site--> lines kept, the manifest, and a service worker
# whose cache is named after what it keeps.
file(READ "${TEMPLATE}" page)
# The template's comments are for those who read it, not for those who load
# the page: its HTML comments (not the <!--site--> marks), its CSS comments
# and its scripts' comments of their own lines or after two spaces go, with
# the lines' indents.
string(REGEX REPLACE "<!-- ([^-]|-[^-])*-->\n?" "" page "${page}")
string(REGEX REPLACE "/\\*([^*]|\\*[^/])*\\*/\n?" "" page "${page}")
string(REGEX REPLACE "\n *// [^\n]*" "" page "${page}")
string(REGEX REPLACE "  +// [^\n]*" "" page "${page}")
string(REGEX REPLACE "\n +" "\n" page "${page}")
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

# The WebAssembly, which emscripten writes beside the script, goes in the
# page as a string of one character a byte (U+0000 to U+00FF, a few of them
# escaped), which web/instantiate.js reads: emscripten's own base64 would
# hide its repeats from gzip, which finds them byte for byte, and cost the
# page 3 to 4 KB gzipped. '<' is always escaped, so that nothing in it can
# end or upset the page's script; a backslash too, so that every "\0" in it
# is the escape of a 0 byte, written "\x00" where a digit follows (else the
# two would be read as one octal escape).
foreach(byte RANGE 1 255)  # 0, below
  if(byte LESS 128)
    string(ASCII ${byte} character)
  else()  # in UTF-8, the page's encoding: two bytes
    math(EXPR lead "192 + ${byte} / 64")
    math(EXPR trail "128 + ${byte} % 64")
    string(ASCII ${lead} ${trail} character)
  endif()
  math(EXPR hex "${byte}" OUTPUT_FORMAT HEXADECIMAL)
  string(REGEX REPLACE "^0x(.)$" "0x0\\1" hex "${hex}")
  set(character_${hex} "${character}")
endforeach()
set(character_0x00 "\\0")
set(character_0x0a "\\n")
set(character_0x0d "\\r")
set(character_0x22 "\\\"")
set(character_0x3c "\\x3c")
set(character_0x5c "\\x5c")
get_filename_component(folder "${SCRIPT}" DIRECTORY)
file(READ "${folder}/velmora.wasm" hex HEX)
string(REGEX MATCHALL ".." bytes "${hex}")
set(wasm "")
foreach(byte IN LISTS bytes)
  string(APPEND wasm "${character_0x${byte}}")
endforeach()
string(REGEX REPLACE "\\\\0([0-9])" "\\\\x00\\1" wasm "${wasm}")

# The page's words in every language (web/words.py's JSON), its '<' escaped
# as the script needs.
file(READ "${WORDS}" words)
string(STRIP "${words}" words)
string(REPLACE "<" "\\u003c" words "${words}")

string(REPLACE "@VELMORA_ICON@" "data:image/svg+xml,${icon}" page "${page}")
string(REPLACE "@VELMORA_WORDS@" "${words}" page "${page}")
string(REPLACE "@VELMORA_SCRIPT@" "${script}" page "${page}")
string(REPLACE "@VELMORA_WASM@" "${wasm}" page "${page}")
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
