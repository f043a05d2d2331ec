# Writes the page: the template with the compiled script (and in it the
# WebAssembly) put inline, so that the page is one file that loads nothing.
file(READ "${TEMPLATE}" page)
file(READ "${SCRIPT}" script)
string(TOLOWER "${script}" lower)
string(FIND "${lower}" "</script" at)
if(NOT at EQUAL -1)
  message(FATAL_ERROR "${SCRIPT} holds </script, which would end the page's script early")
endif()
string(REPLACE "@VELMORA_SCRIPT@" "${script}" page "${page}")
file(WRITE "${OUTPUT}" "${page}")
