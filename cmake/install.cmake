# What `cmake --install` lays out, as a Debian system expects it:
#
#   bin/prenso                                   the program (Debian names commands in lower case)
#   bin/Prenso -> prenso                         for the launchers and business systems that call it so
#   share/man/man1/prenso.1, Prenso.1 -> prenso.1
#   share/applications/org.prenso.Prenso.desktop the menu entry: the setup screen
#   share/metainfo/org.prenso.Prenso.metainfo.xml
#   share/icons/hicolor/scalable/apps/org.prenso.Prenso.svg
#   share/doc/prenso/examples/*.txt              the sample forms
#
# The program reads no data file at run time (the colour profile is built in,
# the fonts come from their own packages), so nothing else is needed. Its
# libraries are all the system's: the installed program carries no RPATH
# (install(TARGETS) drops the build tree's).

# install(TARGETS) keeps the target's file name, which the build tree, its
# tests and the launchers written there use: the installed file is renamed,
# and the old name stays as a link. The link an earlier install left goes
# first, or the new file would be written through it.
set(prenso_bin "\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}")
install(CODE "
  if(IS_SYMLINK \"${prenso_bin}/Prenso\")
    file(REMOVE \"${prenso_bin}/Prenso\")
  endif()")
install(TARGETS Prenso RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(CODE "
  file(RENAME \"${prenso_bin}/Prenso\" \"${prenso_bin}/prenso\")
  file(CREATE_LINK prenso \"${prenso_bin}/Prenso\" SYMBOLIC)
  message(STATUS \"Installing: ${prenso_bin}/prenso (and the link Prenso)\")")

install(FILES ${PROJECT_SOURCE_DIR}/docs/prenso.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(CODE "file(CREATE_LINK prenso.1
  \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_MANDIR}/man1/Prenso.1\" SYMBOLIC)")

install(FILES ${PROJECT_SOURCE_DIR}/desktop/org.prenso.Prenso.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/desktop/org.prenso.Prenso.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${PROJECT_SOURCE_DIR}/desktop/org.prenso.Prenso.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

file(GLOB PRENSO_SAMPLES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/samples/*.txt)
install(FILES ${PRENSO_SAMPLES} DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples)
