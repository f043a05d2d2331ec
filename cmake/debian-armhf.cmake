# Cross-builds for Debian's armhf (ARMv7 with hardware floating point, 32-bit
# Raspberry Pi OS) with Debian's cross compiler, against the armhf libraries
# installed beside the build machine's own (multiarch). Build tools
# (rsvg-convert) are the build machine's.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR armv7l)
set(CMAKE_LIBRARY_ARCHITECTURE arm-linux-gnueabihf)
set(CMAKE_C_COMPILER arm-linux-gnueabihf-gcc)  # for FLTK, where it is built from source
set(CMAKE_CXX_COMPILER arm-linux-gnueabihf-g++)
# pkg-config finds this architecture's libraries (Pango, for FLTK).
set(ENV{PKG_CONFIG_LIBDIR} /usr/lib/arm-linux-gnueabihf/pkgconfig:/usr/share/pkgconfig)
