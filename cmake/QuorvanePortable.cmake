# The Windows deliverable: a portable folder that is the application folder (both programs, the
# DLLs and Qt plugins they load, the files of dist/ that Windows uses, the licences of everything
# bundled) and its zip, quorvane-<version>-windows-x64.zip, made by the target "portable".
# Only for the cross build against the prebuilt kit (cmake/mingw-w64-qt6-kit.cmake), whose prefix
# holds the DLLs.
set(QUORVANE_PORTABLE_NAME quorvane-${PROJECT_VERSION}-windows-x64)
set(QUORVANE_PORTABLE_DIR ${CMAKE_BINARY_DIR}/${QUORVANE_PORTABLE_NAME})
set(QUORVANE_PORTABLE_ZIP ${CMAKE_BINARY_DIR}/${QUORVANE_PORTABLE_NAME}.zip)

add_custom_target(portable
  COMMAND ${CMAKE_COMMAND} -DAPP_DIR=${QUORVANE_APP_DIR} -DKIT_PREFIX=${QUORVANE_WIN_PREFIX}
          -DSOURCE_DIR=${CMAKE_SOURCE_DIR} -DOUT_DIR=${QUORVANE_PORTABLE_DIR} -DZIP=${QUORVANE_PORTABLE_ZIP}
          -DOBJDUMP=${CMAKE_OBJDUMP}
          -P ${CMAKE_SOURCE_DIR}/cmake/MakePortable.cmake
  DEPENDS quorvane quorvane-cli dist_files
  COMMENT "Portable folder and ${QUORVANE_PORTABLE_NAME}.zip"
  VERBATIM)
