# FLTK 1.3.9 from its source, for the Windows build: the release commit,
# or a local copy of it through FETCHCONTENT_SOURCE_DIR_FLTK (no network).
# 1.3 rather than 1.4: a 1.3 program is not DPI-aware, so Windows scales the
# whole window on dense screens and the view's w() x h() viewport stays right.
include(FetchContent)
FetchContent_Declare(fltk
  GIT_REPOSITORY https://github.com/fltk/fltk.git
  GIT_TAG a66273e72621887fcbd0ee5dca2dd133356d5d8a)  # release-1.3.9
# Only the libraries, with FLTK's own image and zlib code.
set(FLTK_BUILD_TEST OFF CACHE BOOL "" FORCE)
set(FLTK_BUILD_EXAMPLES OFF CACHE BOOL "" FORCE)
set(OPTION_BUILD_HTML_DOCUMENTATION OFF CACHE BOOL "" FORCE)
set(OPTION_BUILD_PDF_DOCUMENTATION OFF CACHE BOOL "" FORCE)
set(OPTION_USE_SYSTEM_ZLIB OFF CACHE BOOL "" FORCE)
set(OPTION_USE_SYSTEM_LIBPNG OFF CACHE BOOL "" FORCE)
set(OPTION_USE_SYSTEM_LIBJPEG OFF CACHE BOOL "" FORCE)
FetchContent_MakeAvailable(fltk)
# Build no more of FLTK than Velmora links (fltk and fltk_gl).
set_property(DIRECTORY ${fltk_SOURCE_DIR} PROPERTY EXCLUDE_FROM_ALL TRUE)
# FLTK 1.3's headers test WIN32, which strict C++17 does not define.
set(FLTK_INCLUDE_DIRS ${fltk_SOURCE_DIR} ${fltk_BINARY_DIR})
add_compile_definitions(WIN32)
