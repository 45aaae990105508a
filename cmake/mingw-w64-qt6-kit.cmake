# Cross build of the whole program for 64-bit Windows with MinGW-w64, against the prebuilt kit
# qt6-mingw-6.4.2.tar.xz (Qt 6.4.2 Core/Gui/Widgets/Network/Test, libcurl, gumbo, zlib,
# cpp-httplib, the compiler's run-time DLLs), which also brings its own toolchain file and the Wine
# launcher that CTest and the build's generator steps run programs through.
#
# QUORVANE_WIN_TOOLCHAINS: the folder that holds the tarball; by default ../shared/toolchains
# beside the checkout. The kit is unpacked once into the build folder (<build>/toolchain), never
# into the source tree.
set(QUORVANE_WIN_KIT_TARBALL qt6-mingw-6.4.2.tar.xz)

if(NOT QUORVANE_WIN_KIT_DIR)
  if(NOT QUORVANE_WIN_TOOLCHAINS)
    get_filename_component(QUORVANE_WIN_TOOLCHAINS "${CMAKE_CURRENT_LIST_DIR}/../../shared/toolchains" ABSOLUTE)
  endif()
  set(QUORVANE_WIN_TOOLCHAINS "${QUORVANE_WIN_TOOLCHAINS}" CACHE PATH "Folder holding ${QUORVANE_WIN_KIT_TARBALL}")
  set(tarball "${QUORVANE_WIN_TOOLCHAINS}/${QUORVANE_WIN_KIT_TARBALL}")
  set(QUORVANE_WIN_KIT_DIR "${CMAKE_BINARY_DIR}/toolchain")
  if(NOT EXISTS "${QUORVANE_WIN_KIT_DIR}/qt6-mingw-toolchain/mingw-w64-qt6.cmake")
    if(NOT EXISTS "${tarball}")
      message(FATAL_ERROR "Windows toolchain not found: no ${tarball} (set QUORVANE_WIN_TOOLCHAINS to the folder that holds it)")
    endif()
    message(STATUS "Unpacking ${tarball} into ${QUORVANE_WIN_KIT_DIR}")
    file(ARCHIVE_EXTRACT INPUT "${tarball}" DESTINATION "${QUORVANE_WIN_KIT_DIR}")
  endif()
endif()
# Qt Sql with its SQLite driver, which the kit leaves out, comes from this repository
# (toolchains/qt6-sql-mingw-6.4.2.tar.xz, made by toolchains/build-qt6-sql-mingw.sh from Debian's
# sources) and is unpacked into the kit's prefix beside the rest of Qt.
set(sql_tarball "${CMAKE_CURRENT_LIST_DIR}/../toolchains/qt6-sql-mingw-6.4.2.tar.xz")
set(sql_marker "${QUORVANE_WIN_KIT_DIR}/qt6-mingw-toolchain/prefix/lib/cmake/Qt6Sql/Qt6SqlConfig.cmake")
if(EXISTS "${sql_tarball}" AND NOT EXISTS "${sql_marker}")
  message(STATUS "Unpacking ${sql_tarball} into the kit's prefix")
  file(ARCHIVE_EXTRACT INPUT "${sql_tarball}" DESTINATION "${QUORVANE_WIN_KIT_DIR}/qt6-mingw-toolchain/prefix")
endif()
# try_compile() projects run this file again in their own folders: they get the kit's folder.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES QUORVANE_WIN_KIT_DIR)

include("${QUORVANE_WIN_KIT_DIR}/qt6-mingw-toolchain/mingw-w64-qt6.cmake")

# Test programs and the build's steps run through the kit's launcher, relayed by wine-relay.sh (see
# there why). The toolchain file may be read more than once in one configuration.
set(wine_relay "${CMAKE_CURRENT_LIST_DIR}/wine-relay.sh")
if(CMAKE_CROSSCOMPILING_EMULATOR)
  list(GET CMAKE_CROSSCOMPILING_EMULATOR 0 first_of_emulator)
  if(NOT first_of_emulator STREQUAL wine_relay)
    list(PREPEND CMAKE_CROSSCOMPILING_EMULATOR "${wine_relay}")
  endif()
endif()
