# Cross toolchain: 32-bit Windows (i686) with the MinGW-w64 "posix" thread
# model compilers (required for std::thread / std::mutex).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(KW_TOOL_PREFIX i686-w64-mingw32)

set(CMAKE_C_COMPILER   ${KW_TOOL_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KW_TOOL_PREFIX}-g++-posix)
set(CMAKE_ASM_COMPILER ${KW_TOOL_PREFIX}-gcc-posix)
set(CMAKE_RC_COMPILER  ${KW_TOOL_PREFIX}-windres)

find_program(KW_DLLTOOL ${KW_TOOL_PREFIX}-dlltool REQUIRED)
find_program(KW_OBJDUMP ${KW_TOOL_PREFIX}-objdump REQUIRED)
find_program(KW_WINDRES ${KW_TOOL_PREFIX}-windres REQUIRED)
set(KW_DLLTOOL "${KW_DLLTOOL}" CACHE FILEPATH "MinGW dlltool (import libraries from .def files)")
set(KW_OBJDUMP "${KW_OBJDUMP}" CACHE FILEPATH "MinGW objdump (PE import inspection)")
set(KW_WINDRES "${KW_WINDRES}" CACHE FILEPATH "MinGW windres (version resource)")
set(CMAKE_DLLTOOL "${KW_DLLTOOL}" CACHE FILEPATH "")
set(CMAKE_OBJDUMP "${KW_OBJDUMP}" CACHE FILEPATH "")

set(CMAKE_FIND_ROOT_PATH /usr/${KW_TOOL_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Binutils (set explicitly; the "-posix" compiler suffix confuses prefix detection).
set(CMAKE_AR      ${KW_TOOL_PREFIX}-ar     CACHE FILEPATH "")
set(CMAKE_RANLIB  ${KW_TOOL_PREFIX}-ranlib CACHE FILEPATH "")
set(CMAKE_NM      ${KW_TOOL_PREFIX}-nm     CACHE FILEPATH "")
set(CMAKE_OBJCOPY ${KW_TOOL_PREFIX}-objcopy CACHE FILEPATH "")
set(CMAKE_STRIP   ${KW_TOOL_PREFIX}-strip  CACHE FILEPATH "")
