# SPDX-License-Identifier: MIT
# Cross-compiling for 64-bit Windows with Debian's mingw-w64 (the posix
# thread model, package g++-mingw-w64-x86-64-posix). Programs built here run
# under wine: /usr/lib/wine/wine64 is the emulator CTest and the discovery of
# test cases use.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(FILEKIT_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${FILEKIT_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${FILEKIT_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${FILEKIT_MINGW_TRIPLET}-windres)

# Libraries, headers and packages come from the cross root and from the
# prefixes the caller names in CMAKE_PREFIX_PATH (the cross-built
# dependencies), never from the build machine's own.
set(CMAKE_FIND_ROOT_PATH /usr/${FILEKIT_MINGW_TRIPLET} ${CMAKE_PREFIX_PATH})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)
