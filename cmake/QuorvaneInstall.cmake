# What an installation adds around the application folder so that the system finds the programs
# and the tool can be packaged: links to the programs in bin/, the manual pages, the
# software-centre metadata and the licence. The launcher and the icons are installed by src/app.
include(GNUInstallDirs)

# bin/quorvane and bin/quorvane-cli are relative links into the application folder. The programs
# find their folder through the resolved path of their own executable.
install(CODE "
  set(quorvane_bin \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
  file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${quorvane_bin}\")
  foreach(program quorvane quorvane-cli)
    file(RELATIVE_PATH target \"\${quorvane_bin}\" \"\${CMAKE_INSTALL_PREFIX}/${QUORVANE_INSTALL_DIR}/\${program}\")
    message(STATUS \"Installing: \$ENV{DESTDIR}\${quorvane_bin}/\${program} -> \${target}\")
    file(CREATE_LINK \"\${target}\" \"\$ENV{DESTDIR}\${quorvane_bin}/\${program}\" SYMBOLIC)
  endforeach()
")

foreach(page quorvane.1 quorvane-cli.1)
  configure_file(${CMAKE_SOURCE_DIR}/docs/man/${page}.in ${CMAKE_BINARY_DIR}/man/${page} @ONLY)
  install(FILES ${CMAKE_BINARY_DIR}/man/${page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()

configure_file(${CMAKE_SOURCE_DIR}/src/app/resources/quorvane.metainfo.xml.in
               ${CMAKE_BINARY_DIR}/example.quorvane.Quorvane.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/example.quorvane.Quorvane.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/metainfo)

install(FILES ${CMAKE_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR})
