# One portable velmora.exe, with its icon and version information, the zip
# that hands it out and the MSI that installs it.
find_program(ICOTOOL icotool REQUIRED)
set(ico ${CMAKE_CURRENT_BINARY_DIR}/velmora.ico)
set(ico_pngs)
foreach(size 16 24 32 48 64 256)
  render_icon(${size})
  list(APPEND ico_pngs ${CMAKE_CURRENT_BINARY_DIR}/velmora-${size}.png)
endforeach()
# The 256-pixel image stays PNG inside the icon (-r), as Windows allows.
list(POP_BACK ico_pngs png_256)
add_custom_command(OUTPUT ${ico} COMMAND ${ICOTOOL} -c -o ${ico} ${ico_pngs} -r ${png_256}
                   DEPENDS ${ico_pngs} ${png_256} VERBATIM)

# The catalogues go into the exe as resources, read by the stand-in for
# gettext in intl/.
compile_catalogues(catalogues ${CMAKE_CURRENT_BINARY_DIR}/catalogues/<language>.mo)
set(VELMORA_CATALOGUES)
foreach(language ${languages})
  string(TOUPPER ${language} name)
  string(APPEND VELMORA_CATALOGUES "CATALOGUE_${name} RCDATA \"${CMAKE_CURRENT_BINARY_DIR}/catalogues/${language}.mo\"\n")
endforeach()
target_sources(cone_view PRIVATE intl/windows.cpp)
target_include_directories(cone_view PUBLIC intl)
configure_file(data/velmora.rc.in velmora.rc @ONLY)
set_source_files_properties(${CMAKE_CURRENT_BINARY_DIR}/velmora.rc PROPERTIES OBJECT_DEPENDS "${ico};${catalogues}")
target_sources(velmora PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/velmora.rc)
# A GUI program, stripped, with the C++ runtime and threads linked in, and
# no link time in its header, so that every build gives the same bytes.
set_target_properties(velmora PROPERTIES WIN32_EXECUTABLE ON)
target_link_options(velmora PRIVATE -static -s -Wl,--no-insert-timestamp)

set(zip_dir ${CMAKE_CURRENT_BINARY_DIR}/zip)
set(zip ${CMAKE_CURRENT_BINARY_DIR}/velmora-${PROJECT_VERSION}-windows-x64.zip)
configure_file(data/windows-readme.txt.in ${zip_dir}/README.txt @ONLY NEWLINE_STYLE CRLF)
# The licences, with CRLF line ends like README.txt's.
function(copy_with_crlf from to)
  file(READ ${from} text)
  string(REPLACE "\n" "\r\n" text "${text}")
  file(WRITE ${to} "${text}")
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${from})
endfunction()
copy_with_crlf(LICENSE ${zip_dir}/LICENSE.txt)
copy_with_crlf(${fltk_SOURCE_DIR}/COPYING ${zip_dir}/FLTK-COPYING.txt)
# Every entry is dated like the changelog's release, in UTC (a zip holds
# local times), with one mode and no owner or other times (zip -X; cmake -E
# tar would keep each file's access and change times), so that every build
# gives the same bytes.
find_program(ZIP zip REQUIRED)
include(cmake/release-time.cmake)
release_time(zip_time)
set(zip_files velmora.exe README.txt LICENSE.txt FLTK-COPYING.txt)
add_custom_command(OUTPUT ${zip}
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:velmora> ${zip_dir}/velmora.exe
  COMMAND chmod 644 ${zip_files}
  COMMAND touch -d "${zip_time} UTC" ${zip_files}
  COMMAND ${CMAKE_COMMAND} -E rm -f ${zip}
  COMMAND ${CMAKE_COMMAND} -E env TZ=UTC ${ZIP} -X -q ${zip} ${zip_files}
  WORKING_DIRECTORY ${zip_dir}
  DEPENDS velmora ${zip_dir}/README.txt data/changelog VERBATIM)
add_custom_target(windows_zip ALL DEPENDS ${zip})

# The MSI, for deploying to many machines (cmake/msi.cmake), made from the
# zip's folder. It depends on the zip through its target: listing the zip
# itself would give both targets a copy of its rule, run at once in a
# parallel build.
set(msi ${CMAKE_CURRENT_BINARY_DIR}/velmora-${PROJECT_VERSION}-x64.msi)
add_custom_command(OUTPUT ${msi}
  COMMAND ${CMAKE_COMMAND} -DVERSION=${PROJECT_VERSION} -DDESCRIPTION=${PROJECT_DESCRIPTION}
          -DINPUT_DIR=${zip_dir} -DICON=${ico} -DOUTPUT_DIR=${CMAKE_CURRENT_BINARY_DIR}
          -DSOURCE_DIR=${PROJECT_SOURCE_DIR} -P ${PROJECT_SOURCE_DIR}/cmake/msi.cmake
  DEPENDS velmora windows_zip ${zip_dir}/README.txt ${ico} cmake/msi.cmake cmake/release-time.cmake
          data/velmora.wxs.in data/changelog VERBATIM)
add_custom_target(windows_msi ALL DEPENDS ${msi})
