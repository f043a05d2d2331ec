# Writes the page: the template with the compiled script and its
# WebAssembly put inline, so that the page is one file that loads nothing.
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

# The WebAssembly, which emscripten writes into the script as base64, is
# taken out of it and put in the page as a string of one character a byte
# (U+0000 to U+00FF, a few of them escaped), which web/instantiate.js reads.
# Base64's digits of 6 bits hide the WebAssembly's repeats from gzip, which
# finds them byte for byte: so the page is 3 to 4 KB smaller gzipped, and
# 1 KB smaller as it is. '<' is always escaped, so that nothing in it can end
# or upset the page's script; a backslash too, so that every "\0" in it is
# the escape of a 0 byte, written "\x00" where a digit follows (else the two
# would be read as one octal escape).
set(url "wasmBinaryFile=\"data:application/octet-stream;base64,")
string(FIND "${script}" "${url}" at)
if(at EQUAL -1)
  message(FATAL_ERROR "${SCRIPT} holds no WebAssembly as ${url}")
endif()
string(LENGTH "${url}" length)
math(EXPR at "${at} + ${length}")
string(SUBSTRING "${script}" ${at} -1 rest)
string(FIND "${rest}" "\"" length)
string(SUBSTRING "${rest}" 0 ${length} base64)
string(SUBSTRING "${script}" 0 ${at} head)
string(SUBSTRING "${rest}" ${length} -1 rest)
set(script "${head}${rest}")
set(alphabet ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/)
foreach(value RANGE 63)
  string(SUBSTRING "${alphabet}" ${value} 1 digit)
  set("value_${digit}" ${value})
endforeach()
foreach(byte RANGE 1 255)  # 0, below
  if(byte LESS 128)
    string(ASCII ${byte} character_${byte})
  else()  # in UTF-8, the page's encoding: two bytes
    math(EXPR lead "192 + ${byte} / 64")
    math(EXPR trail "128 + ${byte} % 64")
    string(ASCII ${lead} ${trail} character_${byte})
  endif()
endforeach()
set(character_0 "\\0")
set(character_10 "\\n")
set(character_13 "\\r")
set(character_34 "\\\"")
set(character_60 "\\x3c")
set(character_92 "\\x5c")
string(REGEX REPLACE "=+$" "" base64 "${base64}")
string(LENGTH "${base64}" length)
math(EXPR padding "(4 - ${length} % 4) % 4")
string(REPEAT A ${padding} zeros)
string(REGEX MATCHALL "...." quads "${base64}${zeros}")
set(wasm "")
foreach(quad IN LISTS quads)
  string(REGEX MATCH "(.)(.)(.)(.)" quad "${quad}")
  math(EXPR bits "${value_${CMAKE_MATCH_1}} << 18 | ${value_${CMAKE_MATCH_2}} << 12 | \
                  ${value_${CMAKE_MATCH_3}} << 6 | ${value_${CMAKE_MATCH_4}}")
  math(EXPR first "${bits} >> 16")
  math(EXPR second "${bits} >> 8 & 255")
  math(EXPR third "${bits} & 255")
  string(APPEND wasm "${character_${first}}${character_${second}}${character_${third}}")
endforeach()
# The A that made up the last four digits decoded to as many 0 bytes too
# many, each written "\0".
string(LENGTH "${wasm}" length)
math(EXPR length "${length} - 2 * ${padding}")
string(SUBSTRING "${wasm}" 0 ${length} wasm)
string(REGEX REPLACE "\\\\0([0-9])" "\\\\x00\\1" wasm "${wasm}")

string(REPLACE "@VELMORA_ICON@" "data:image/svg+xml,${icon}" page "${page}")
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
