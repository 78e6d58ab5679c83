# Cross build of the module and its tests for 64-bit Windows with MinGW-w64,
# for machines whose kernel runs no 32-bit programs: there the Windows tests
# run on this build under 64-bit Wine. The shipped module is the 32-bit one
# (cmake/toolchain-mingw-i686.cmake). As there, the -posix compilers are
# needed for GoogleTest's std::mutex.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TENU_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TENU_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TENU_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TENU_MINGW_PREFIX}-windres)
set(CMAKE_OBJDUMP ${TENU_MINGW_PREFIX}-objdump)

set(CMAKE_FIND_ROOT_PATH /usr/${TENU_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The 64-bit loader itself: Debian keeps it out of PATH, and its `wine`
# starter prefers the 32-bit loader whenever that is installed, even where
# the kernel cannot run it.
find_program(TENU_WINE NAMES wine64 PATHS /usr/lib/wine /usr/lib64/wine REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${TENU_WINE})
