# What `cmake --install` lays out under the prefix: both programs, the man page of the command
# line program, and for the desktop program its menu entry, its icon and its help pages.
install(TARGETS orvalis-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/docs/orvalis-cli.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

if(ORVALIS_BUILD_GUI)
  install(TARGETS orvalis RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${PROJECT_SOURCE_DIR}/src/ui/resources/orvalis.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${PROJECT_SOURCE_DIR}/src/ui/resources/pictures/application.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
          RENAME orvalis.svg)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/src/ui/resources/help/
          DESTINATION ${ORVALIS_HELP_INSTALL_DIR}
          FILES_MATCHING PATTERN "*.html" PATTERN "*.css")
endif()
