# Cross-builds for Debian's arm64 (64-bit Raspberry Pi OS) with Debian's
# cross compiler, against the arm64 libraries installed beside the build
# machine's own (multiarch). Build tools (rsvg-convert) are the build
# machine's.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_LIBRARY_ARCHITECTURE aarch64-linux-gnu)
set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)  # for FLTK, where it is built from source
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
# pkg-config finds this architecture's libraries (Pango, for FLTK).
set(ENV{PKG_CONFIG_LIBDIR} /usr/lib/aarch64-linux-gnu/pkgconfig:/usr/share/pkgconfig)
