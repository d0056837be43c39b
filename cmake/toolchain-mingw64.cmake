# Cross-building for 64-bit Windows with Debian's mingw-w64 (g++-mingw-w64-x86-64-posix): the
# posix thread model, for std::thread, and everything linked statically, so that the programs
# need nothing beyond KERNEL32 and msvcrt. Used by the preset `windows`.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TAMREL_MINGW x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${TAMREL_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TAMREL_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${TAMREL_MINGW}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TAMREL_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
