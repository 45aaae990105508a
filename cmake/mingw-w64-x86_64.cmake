# Cross build for 64-bit Windows with the MinGW-w64 compiler (Debian: g++-mingw-w64-x86-64-posix).
# The test programs run under Wine (Debian: wine64), which CTest starts for them.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(mingw_prefix x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${mingw_prefix}-gcc-posix)
set(CMAKE_CXX_COMPILER ${mingw_prefix}-g++-posix)
set(CMAKE_RC_COMPILER ${mingw_prefix}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${mingw_prefix})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The compiler's own run-time libraries linked in, so that the programs run without copies of them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Debian 12 keeps the 64-bit loader off PATH, in its library folder.
find_program(QUORVANE_WINE64 NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(QUORVANE_WINE64)
  # Relayed by wine-relay.sh, which ends with the program (see there why).
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-relay.sh ${QUORVANE_WINE64})
endif()
