# What `cmake --install` lays out under the prefix: the programs, the man pages of the command
# line program and of the mount program (where libfuse3 was found), and for the desktop program
# its menu entry, its icon, its help pages and the type of its diskette images, which the menu
# entry opens (orvalis --drive IMAGE).
install(TARGETS orvalis-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/docs/orvalis-cli.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
if(TARGET orvalis-mount)
  install(TARGETS orvalis-mount RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${PROJECT_SOURCE_DIR}/docs/orvalis-mount.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()

if(ORVALIS_BUILD_GUI)
  install(TARGETS orvalis RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${PROJECT_SOURCE_DIR}/src/ui/resources/orvalis.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${PROJECT_SOURCE_DIR}/src/ui/resources/pictures/application.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
          RENAME orvalis.svg)
  install(FILES ${PROJECT_SOURCE_DIR}/src/ui/resources/orvalis-mime.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME orvalis.xml)
  # The desktop reads types from the database built out of the packages: rebuild it where the
  # files land (a packager's staging tree is left to the package's own scripts).
  find_program(ORVALIS_UPDATE_MIME_DATABASE update-mime-database)
  if(ORVALIS_UPDATE_MIME_DATABASE)
    install(CODE "
      if(NOT DEFINED ENV{DESTDIR} OR \"\$ENV{DESTDIR}\" STREQUAL \"\")
        execute_process(COMMAND ${ORVALIS_UPDATE_MIME_DATABASE}
                        \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/mime\"
                        OUTPUT_QUIET ERROR_QUIET)
      endif()")
  endif()
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/src/ui/resources/help/
          DESTINATION ${ORVALIS_HELP_INSTALL_DIR}
          FILES_MATCHING PATTERN "*.html" PATTERN "*.css")
endif()
