# Cross build of the 32-bit Windows module and its tests with MinGW-w64.
# The -posix compilers are needed: GoogleTest uses std::mutex, which the
# win32-threads variant does not provide. Test programs run through wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(TENU_MINGW_PREFIX i686-w64-mingw32)
set(CMAKE_C_COMPILER ${TENU_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TENU_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TENU_MINGW_PREFIX}-windres)
set(CMAKE_OBJDUMP ${TENU_MINGW_PREFIX}-objdump)

# The module needs a processor with SSE2 (every x86 processor since 2003,
# and a requirement of Windows since Windows 8): the searches keep pairs of
# 64-bit masks in its 128-bit registers, and the 32-bit general registers
# are too few for that work.
set(CMAKE_C_FLAGS_INIT "-msse2")
set(CMAKE_CXX_FLAGS_INIT "-msse2")

set(CMAKE_FIND_ROOT_PATH /usr/${TENU_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

find_program(TENU_WINE wine REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${TENU_WINE})
