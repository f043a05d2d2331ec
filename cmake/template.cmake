# Writes the template of every word Velmora says, extracted from its
# sources (make pot): po/velmora.pot, or OUTPUT. The readout's words come
# from src/, the page's from web/fl.js, the desktop entry's and the
# metainfo's from data/.
cmake_minimum_required(VERSION 3.20)
get_filename_component(source ${CMAKE_CURRENT_LIST_DIR}/.. ABSOLUTE)
if(NOT OUTPUT)
  set(OUTPUT ${source}/po/velmora.pot)
endif()
set(common --package-name=velmora --msgid-bugs-address=velmora@example.org --from-code=UTF-8
    --add-comments=TRANSLATORS: --add-location=file --sort-by-file -o ${OUTPUT})
foreach(run "-L;C++;--keyword=N_;src/readout.cpp"
            "-j;-L;JavaScript;--keyword=translated;web/fl.js"
            "-j;-L;Desktop;-k;-kGenericName;-kComment;-kKeywords;data/org.example.velmora.desktop"
            "-j;data/org.example.velmora.metainfo.xml")
  execute_process(COMMAND xgettext ${common} ${run} WORKING_DIRECTORY ${source}
                  RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "xgettext failed on ${run}")
  endif()
endforeach()
