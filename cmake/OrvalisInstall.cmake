# What `cmake --install` lays out under the prefix: the programs, the man pages of the command
# line program and of the mount program (where libfuse3 was found), and for the desktop program
# its menu entry, its icon, its help pages and the type of its diskette images, which the menu
# entry opens (orvalis --open=IMAGE).
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
  # Software centres list the program from its AppStream description.
  install(FILES ${PROJECT_SOURCE_DIR}/src/ui/resources/orvalis.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo RENAME org.orvalis.Orvalis.metainfo.xml)
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
  # The file manager learns which program opens the type from the desktop entries' cache.
  find_program(ORVALIS_UPDATE_DESKTOP_DATABASE update-desktop-database)
  if(ORVALIS_UPDATE_DESKTOP_DATABASE)
    install(CODE "
      if(NOT DEFINED ENV{DESTDIR} OR \"\$ENV{DESTDIR}\" STREQUAL \"\")
        execute_process(COMMAND ${ORVALIS_UPDATE_DESKTOP_DATABASE}
                        \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/applications\"
                        OUTPUT_QUIET ERROR_QUIET)
      endif()")
  endif()
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/src/ui/resources/help/
          DESTINATION ${ORVALIS_HELP_INSTALL_DIR}
          FILES_MATCHING PATTERN "*.html" PATTERN "*.css")
endif()

# `cpack -G DEB` in the build folder makes the package a user installs with
# `apt install ./orvalis_*.deb`: its dependencies come from the libraries the programs link, and
# the system's triggers rebuild the type database and the desktop entries' cache.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orvalis)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Orvalis developers <developers@orvalis.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "keep files on worn 1.44 MB diskettes and rescue them from damaged ones")
set(CPACK_PACKAGE_DESCRIPTION
    "Orvalis stores files on 3.5-inch diskettes in a file system made for marginal media and\n\
rescues them from damaged diskettes and from images made by GNU ddrescue or a flux reader.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fuse3, gddrescue")
include(CPack)
