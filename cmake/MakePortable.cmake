# Builds the portable folder OUT_DIR and its zip ZIP (see QuorvanePortable.cmake). Run with
# -DAPP_DIR= (the built programs), -DKIT_PREFIX= (the kit's prefix), -DSOURCE_DIR=, -DOUT_DIR=,
# -DZIP= and -DOBJDUMP= (MinGW's objdump, to read which DLLs a program imports).
cmake_minimum_required(VERSION 3.25)
foreach(var APP_DIR KIT_PREFIX SOURCE_DIR OUT_DIR ZIP OBJDUMP)
  if(NOT ${var})
    message(FATAL_ERROR "MakePortable.cmake needs -D${var}=")
  endif()
endforeach()

file(REMOVE_RECURSE ${OUT_DIR} ${ZIP})
file(MAKE_DIRECTORY ${OUT_DIR})

# The programs and the application folder's files (the Linux script stays out).
file(COPY ${APP_DIR}/quorvane.exe ${APP_DIR}/quorvane-cli.exe DESTINATION ${OUT_DIR})
file(GLOB dist_files ${SOURCE_DIR}/dist/*)
list(FILTER dist_files EXCLUDE REGEX "\\.sh$")
file(COPY ${dist_files} DESTINATION ${OUT_DIR})

# Qt finds its plugins in folders beside the program.
set(plugins platforms/qwindows.dll styles/qwindowsvistastyle.dll imageformats/qico.dll imageformats/qgif.dll
            tls/qschannelbackend.dll tls/qcertonlybackend.dll)
# The line history's store, where the build has one.
if(EXISTS ${KIT_PREFIX}/plugins/sqldrivers/qsqlite.dll)
  list(APPEND plugins sqldrivers/qsqlite.dll)
endif()
set(pending ${OUT_DIR}/quorvane.exe ${OUT_DIR}/quorvane-cli.exe)
foreach(plugin ${plugins})
  get_filename_component(folder ${plugin} DIRECTORY)
  file(COPY ${KIT_PREFIX}/plugins/${plugin} DESTINATION ${OUT_DIR}/${folder})
  list(APPEND pending ${OUT_DIR}/${plugin})
endforeach()

# Every DLL that one of them imports and the kit holds, and what those import in turn; the
# system's own DLLs are not in the kit.
set(copied)
while(pending)
  list(POP_FRONT pending binary)
  execute_process(COMMAND ${OBJDUMP} -p ${binary} OUTPUT_VARIABLE dump RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "cannot read the imports of ${binary}")
  endif()
  string(REGEX MATCHALL "DLL Name: [^\r\n]+" imports "${dump}")
  foreach(import ${imports})
    string(REGEX REPLACE "^DLL Name: " "" dll "${import}")
    if(EXISTS ${KIT_PREFIX}/bin/${dll} AND NOT dll IN_LIST copied)
      list(APPEND copied ${dll})
      file(COPY ${KIT_PREFIX}/bin/${dll} DESTINATION ${OUT_DIR})
      list(APPEND pending ${OUT_DIR}/${dll})
    endif()
  endforeach()
endwhile()
foreach(needed Qt6Core.dll Qt6Widgets.dll libcurl.dll zlib1.dll libstdc++-6.dll)
  if(NOT needed IN_LIST copied)
    message(FATAL_ERROR "${needed} was not found among the programs' imports")
  endif()
endforeach()

# The licences: the program's own and those of everything it bundles, as Debian's packages of the
# same sources state them (the kit was built from those source packages).
set(licences
  "Quorvane.txt|${SOURCE_DIR}/LICENSE"
  "Qt.txt|/usr/share/doc/libqt6core6/copyright"
  "curl.txt|/usr/share/doc/libcurl4/copyright"
  "gumbo.txt|/usr/share/doc/libgumbo1/copyright"
  "zlib.txt|/usr/share/doc/libz-mingw-w64/copyright"
  "SQLite.txt|/usr/share/doc/libsqlite3-0/copyright"
  "Duktape.txt|/usr/share/doc/duktape-dev/copyright"
  "GCC-runtime.txt|/usr/share/doc/gcc-mingw-w64-base/copyright"
  "mingw-w64-runtime.txt|/usr/share/doc/mingw-w64-x86-64-dev/copyright"
  "LGPL-3.txt|/usr/share/common-licenses/LGPL-3"
  "GPL-3.txt|/usr/share/common-licenses/GPL-3"
  "Apache-2.0.txt|/usr/share/common-licenses/Apache-2.0")
file(MAKE_DIRECTORY ${OUT_DIR}/licences)
foreach(entry ${licences})
  string(REPLACE "|" ";" parts "${entry}")
  list(GET parts 0 name)
  list(GET parts 1 from)
  if(NOT EXISTS ${from})
    message(FATAL_ERROR "licence text missing: ${from} (scripts/install-deps.sh installs its package)")
  endif()
  configure_file(${from} ${OUT_DIR}/licences/${name} COPYONLY)
endforeach()

get_filename_component(parent ${OUT_DIR} DIRECTORY)
get_filename_component(name ${OUT_DIR} NAME)
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${ZIP} --format=zip ${name} WORKING_DIRECTORY ${parent}
                RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "cannot write ${ZIP}")
endif()
message(STATUS "Portable folder ${OUT_DIR} and ${ZIP}")
