# Cross toolchain: i686 Windows with Debian's mingw-w64, win32 threads flavour: the
# installer runs on one thread and uses no std::thread, and the posix flavour would link
# winpthread (about 26 KB) into it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(PENTARO_TRIPLE i686-w64-mingw32)
set(CMAKE_C_COMPILER ${PENTARO_TRIPLE}-gcc-win32)
set(CMAKE_CXX_COMPILER ${PENTARO_TRIPLE}-g++-win32)
set(CMAKE_RC_COMPILER ${PENTARO_TRIPLE}-windres)
set(CMAKE_OBJDUMP ${PENTARO_TRIPLE}-objdump)
set(CMAKE_STRIP ${PENTARO_TRIPLE}-strip)

set(CMAKE_FIND_ROOT_PATH /usr/${PENTARO_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The installer must carry zlib inside itself, not load zlib1.dll.
set(ZLIB_USE_STATIC_LIBS ON)

# Cross-built test executables run under Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
