# Builds velmora-<VERSION>-x64.msi in OUTPUT_DIR with wixl, from velmora.exe,
# README.txt, LICENSE.txt and FLTK-COPYING.txt in INPUT_DIR and the icon
# ICON, so that the same inputs always give the same bytes:
#   - the product code is derived from the version, the package code from
#     the version and the inputs (name-based UUIDs);
#   - every time stamp, in the cabinet and in the summary, is the changelog's.
#   cmake -DVERSION=... -DDESCRIPTION=... -DINPUT_DIR=... -DICON=...
#         -DOUTPUT_DIR=... -DSOURCE_DIR=... -P msi.cmake
# Ties every version of Velmora together, for upgrades: never change it.
set(UPGRADE_CODE 62C84E1F-5EB0-4754-9545-740462CAACEE)
string(UUID PRODUCT_CODE NAMESPACE ${UPGRADE_CODE} NAME "velmora ${VERSION}" TYPE SHA1 UPPER)

include(${SOURCE_DIR}/cmake/release-time.cmake)
release_time(release_time)

set(stage "${OUTPUT_DIR}/msi-${VERSION}")
file(REMOVE_RECURSE "${stage}")
file(MAKE_DIRECTORY "${stage}")
set(inputs velmora.exe README.txt LICENSE.txt FLTK-COPYING.txt)
list(TRANSFORM inputs PREPEND "${INPUT_DIR}/")
set(digest "${VERSION}")
foreach(input IN LISTS inputs ITEMS "${ICON}")
  get_filename_component(name "${input}" NAME)
  file(COPY "${input}" DESTINATION "${stage}")
  execute_process(COMMAND touch -d "${release_time} UTC" "${stage}/${name}" COMMAND_ERROR_IS_FATAL ANY)
  file(SHA256 "${stage}/${name}" sha)
  string(APPEND digest " ${sha}")
endforeach()
configure_file("${SOURCE_DIR}/data/velmora.wxs.in" "${stage}/velmora.wxs" @ONLY)
file(SHA256 "${stage}/velmora.wxs" sha)
string(UUID PACKAGE_CODE NAMESPACE ${PRODUCT_CODE} NAME "${digest} ${sha}" TYPE SHA1 UPPER)

# wixl takes the summary's times from the clock and always draws a random
# package code; it also exits 0 when it could not write the package.
set(msi "${OUTPUT_DIR}/velmora-${VERSION}-x64.msi")
file(REMOVE "${msi}")
execute_process(COMMAND ${CMAKE_COMMAND} -E env TZ=UTC faketime "${release_time}"
                        wixl --arch x64 -o "${msi}" velmora.wxs
                WORKING_DIRECTORY "${stage}" COMMAND_ERROR_IS_FATAL ANY)
if(NOT EXISTS "${msi}")
  message(FATAL_ERROR "wixl wrote no ${msi}")
endif()
# wixl makes only advertised shortcuts, which Windows Installer may use to
# start a repair when one is clicked; a plain one just starts velmora.exe.
execute_process(COMMAND msibuild "${msi}" -q "UPDATE `Shortcut` SET `Target` = '[#velmora.exe]'"
                COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND msibuild "${msi}" -s Velmora "The Velmora developers" "x64;1033"
                        "{${PACKAGE_CODE}}"
                COMMAND_ERROR_IS_FATAL ANY)
