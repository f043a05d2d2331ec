# FLTK 1.4.5, static, where the system has no FLTK 1.4 of its own (Windows,
# Debian 12): built once per build folder, while configuring, in a build
# folder of its own (fltk/), so that its targets, install rules and warnings
# stay its own. The source is FLTK's release commit, fetched, or FLTK_SOURCE: a folder
# holding it or a .tar.gz of it (for building without network).
set(FLTK_SOURCE "" CACHE FILEPATH "FLTK 1.4.5's source, a folder or .tar.gz; empty: fetch it")
set(fltk_commit a9b1113516ffd15fc7602a6d425a317df30f4720)  # release-1.4.5
set(fltk_build ${CMAKE_BINARY_DIR}/fltk)

# Only the libraries, with FLTK's own image and zlib code (only the tests
# read images); on X11 alone, since Wayland needs a newer libdecor than
# Debian 12 has. Built with Velmora's compilers and flags (hardening), but
# not its sanitizers: what they would find in FLTK is FLTK's to mend.
string(REGEX REPLACE "-f(no-)?sanitize[^ ]*" "" fltk_flags "${CMAKE_CXX_FLAGS}")
set(fltk_options -DCMAKE_BUILD_TYPE=Release -DFLTK_BUILD_TEST=OFF -DFLTK_BUILD_EXAMPLES=OFF -DFLTK_BUILD_FLUID=OFF
    -DFLTK_BUILD_FLTK_OPTIONS=OFF -DFLTK_BUILD_FORMS=OFF -DFLTK_BUILD_HTML_DOCS=OFF
    -DFLTK_BUILD_PDF_DOCS=OFF -DFLTK_BACKEND_WAYLAND=OFF -DFLTK_USE_SYSTEM_LIBJPEG=OFF
    -DFLTK_USE_SYSTEM_LIBPNG=OFF -DFLTK_USE_SYSTEM_ZLIB=OFF
    "-DCMAKE_C_FLAGS=${fltk_flags}" "-DCMAKE_CXX_FLAGS=${fltk_flags}")
# Text through Pango on Linux, which shapes Arabic and Hindi and sets right
# to left what reads so, as the readout's languages need.
if(NOT WIN32)
  list(APPEND fltk_options -DFLTK_USE_PANGO=ON)
endif()
if(CMAKE_TOOLCHAIN_FILE)
  get_filename_component(toolchain ${CMAKE_TOOLCHAIN_FILE} ABSOLUTE BASE_DIR ${PROJECT_SOURCE_DIR})
  list(APPEND fltk_options -DCMAKE_TOOLCHAIN_FILE=${toolchain})
endif()
# More of FLTK's own options, such as -DFLTK_USE_XINERAMA=OFF.
set(FLTK_OPTIONS "" CACHE STRING "further options for FLTK's own build")
list(APPEND fltk_options ${FLTK_OPTIONS})
# A cross build needs the target architecture's packages (libxft-dev:arm64).
if(CMAKE_CROSSCOMPILING AND NOT WIN32)
  execute_process(COMMAND dpkg-architecture -f -t ${CMAKE_LIBRARY_ARCHITECTURE} -qDEB_HOST_ARCH
                  OUTPUT_VARIABLE fltk_architecture OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  set(fltk_architecture :${fltk_architecture})
endif()
string(SHA1 fltk_stamp "${fltk_commit} ${FLTK_SOURCE} ${CMAKE_GENERATOR} ${fltk_options}")

if(FLTK_SOURCE AND NOT EXISTS "${FLTK_SOURCE}")
  message(FATAL_ERROR "FLTK_SOURCE: there is no ${FLTK_SOURCE}")
endif()
if(IS_DIRECTORY "${FLTK_SOURCE}")
  set(fltk_SOURCE_DIR ${FLTK_SOURCE})
else()
  set(fltk_SOURCE_DIR ${CMAKE_BINARY_DIR}/fltk-source)
endif()
if(NOT EXISTS ${fltk_build}/${fltk_stamp})
  message(STATUS "Building FLTK 1.4.5 in ${fltk_build} (once, a minute or two)")
  file(REMOVE_RECURSE ${fltk_build})
  include(FetchContent)
  if(FLTK_SOURCE AND NOT IS_DIRECTORY "${FLTK_SOURCE}")
    FetchContent_Populate(fltk QUIET URL ${FLTK_SOURCE} SOURCE_DIR ${fltk_SOURCE_DIR})
  elseif(NOT FLTK_SOURCE)
    # Only the release commit, not FLTK's whole history.
    message(STATUS "Fetching it from its repository")
    file(REMOVE_RECURSE ${fltk_SOURCE_DIR})
    file(MAKE_DIRECTORY ${fltk_SOURCE_DIR})
    foreach(step "init;-q" "fetch;-q;--depth;1;https://github.com/fltk/fltk.git;${fltk_commit}"
                 "checkout;-q;FETCH_HEAD")
      execute_process(COMMAND git ${step} WORKING_DIRECTORY ${fltk_SOURCE_DIR} RESULT_VARIABLE failed)
      if(failed)
        file(REMOVE_RECURSE ${fltk_SOURCE_DIR})
        message(FATAL_ERROR "Fetching FLTK 1.4.5 failed. Without network, give its source as "
                            "FLTK_SOURCE: make FLTK_SOURCE=path/to/fltk-1.4.5-source.tar.gz")
      endif()
    endforeach()
  endif()
  cmake_host_system_information(RESULT jobs QUERY NUMBER_OF_LOGICAL_CORES)
  set(log ${CMAKE_BINARY_DIR}/fltk.log)
  execute_process(COMMAND ${CMAKE_COMMAND} -S ${fltk_SOURCE_DIR} -B ${fltk_build}
                          -G ${CMAKE_GENERATOR} ${fltk_options}
                  OUTPUT_FILE ${log} ERROR_FILE ${log} RESULT_VARIABLE failed)
  # FLTK leaves out what it finds no headers for: Xinerama, whose absence
  # also costs the screen's scale, Xft's fonts, the cursors, Pango. That
  # would pass unnoticed, so it stops here and names the package instead.
  if(NOT failed AND NOT WIN32)
    set(missing)
    foreach(feature HAVE_XINERAMA:FLTK_USE_XINERAMA:libxinerama-dev USE_XFT:FLTK_USE_XFT:libxft-dev
                    HAVE_XCURSOR:FLTK_USE_XCURSOR:libxcursor-dev HAVE_XFIXES:FLTK_USE_XFIXES:libxfixes-dev
                    HAVE_XRENDER:FLTK_USE_XRENDER:libxrender-dev HAVE_GL_GLU_H::libglu1-mesa-dev
                    USE_PANGO::libpango1.0-dev)
      string(REPLACE ":" ";" feature ${feature})
      list(GET feature 0 define)
      list(GET feature 1 option)
      list(GET feature 2 package)
      file(STRINGS ${fltk_build}/config.h found REGEX "^#define ${define} 1$")
      if(NOT found AND NOT "-D${option}=OFF" IN_LIST fltk_options)
        list(APPEND missing ${package}${fltk_architecture})
      endif()
    endforeach()
    find_program(PKG_CONFIG pkg-config)
    if(NOT PKG_CONFIG AND "libpango1.0-dev${fltk_architecture}" IN_LIST missing)
      list(APPEND missing pkgconf)  # without which FLTK finds no Pango
    endif()
    if(missing)
      list(JOIN missing " " missing)
      file(REMOVE_RECURSE ${fltk_build})
      message(FATAL_ERROR "FLTK's build lacks X11 development files; install ${missing} "
                          "(scripts/install-deps installs them)")
    endif()
  endif()
  if(NOT failed)
    execute_process(COMMAND ${CMAKE_COMMAND} --build ${fltk_build} --parallel ${jobs}
                    OUTPUT_FILE ${log} ERROR_FILE ${log} RESULT_VARIABLE failed)
  endif()
  if(failed)
    message(FATAL_ERROR "Building FLTK 1.4.5 failed; see ${log}")
  endif()
  file(TOUCH ${fltk_build}/${fltk_stamp})
endif()
find_package(FLTK 1.4.5 EXACT CONFIG REQUIRED PATHS ${fltk_build} NO_DEFAULT_PATH
             NO_CMAKE_FIND_ROOT_PATH)
