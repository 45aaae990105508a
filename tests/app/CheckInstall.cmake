# Installs the build into a scratch prefix and checks the layout that a Linux desktop expects:
# the programs and every file of dist/ together in the application folder (the capture script
# still executable), the simulated router left out, and the launcher and icons under share/.
#
# Arguments: -DBUILD_DIR=<build tree> -DSOURCE_DIR=<source tree> -DSTAGE_DIR=<scratch folder>
#            -DAPP_DIR_NAME=<application folder under the prefix>

set(prefix "/opt/quorvane-check")
file(REMOVE_RECURSE "${STAGE_DIR}")
execute_process(COMMAND ${CMAKE_COMMAND} -E env "DESTDIR=${STAGE_DIR}"
                        ${CMAKE_COMMAND} --install "${BUILD_DIR}" --prefix "${prefix}"
                RESULT_VARIABLE install_result OUTPUT_VARIABLE install_output ERROR_VARIABLE install_output)
if(NOT install_result EQUAL 0)
  message(FATAL_ERROR "install failed:\n${install_output}")
endif()

set(root "${STAGE_DIR}${prefix}")
set(app_folder "${root}/${APP_DIR_NAME}")
set(failures "")

foreach(program quorvane quorvane-cli)
  if(NOT EXISTS "${app_folder}/${program}")
    string(APPEND failures "missing program ${program}\n")
  endif()
endforeach()
foreach(left_out quorvane-routersim quorvane-artwork)
  file(GLOB_RECURSE found "${root}/*${left_out}*")
  if(found)
    string(APPEND failures "${left_out} must not be installed: ${found}\n")
  endif()
endforeach()

file(GLOB_RECURSE dist_files RELATIVE "${SOURCE_DIR}/dist" "${SOURCE_DIR}/dist/*")
foreach(dist_file ${dist_files})
  if(NOT EXISTS "${app_folder}/${dist_file}")
    string(APPEND failures "missing ${dist_file} in the application folder\n")
  endif()
endforeach()

if(EXISTS "${SOURCE_DIR}/dist/NetworkInfo.sh")
  execute_process(COMMAND test -x "${app_folder}/NetworkInfo.sh" RESULT_VARIABLE not_executable)
  if(NOT not_executable EQUAL 0)
    string(APPEND failures "NetworkInfo.sh is not executable\n")
  endif()
endif()

set(desktop_file "${root}/share/applications/quorvane.desktop")
if(NOT EXISTS "${desktop_file}")
  string(APPEND failures "missing ${desktop_file}\n")
else()
  file(READ "${desktop_file}" desktop)
  if(NOT desktop MATCHES "\nExec=\"${prefix}/${APP_DIR_NAME}/quorvane\"\n")
    string(APPEND failures "launcher does not start the installed program:\n${desktop}\n")
  endif()
  if(NOT desktop MATCHES "\nIcon=quorvane\n")
    string(APPEND failures "launcher names no icon\n")
  endif()
endif()
foreach(size 16 32 48)
  if(NOT EXISTS "${root}/share/icons/hicolor/${size}x${size}/apps/quorvane.png")
    string(APPEND failures "missing ${size}x${size} icon\n")
  endif()
endforeach()

file(REMOVE_RECURSE "${STAGE_DIR}")
if(failures)
  message(FATAL_ERROR "${failures}")
endif()
