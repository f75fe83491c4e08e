# Installs a build into a scratch prefix and checks that every file lands where the desktop and
# the man pages look for it. Run as: cmake -DBUILD_DIR=... -DPREFIX=... -DBINDIR=... -DDATADIR=...
# -DMANDIR=... -DHELPDIR=... -P CheckInstall.cmake
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
                RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cmake --install failed (${rc})")
endif()

set(expected
  ${BINDIR}/orvalis
  ${BINDIR}/orvalis-cli
  ${DATADIR}/applications/orvalis.desktop
  ${DATADIR}/mime/packages/orvalis.xml
  ${DATADIR}/icons/hicolor/scalable/apps/orvalis.svg
  ${DATADIR}/metainfo/org.orvalis.Orvalis.metainfo.xml
  ${MANDIR}/man1/orvalis-cli.1
  ${HELPDIR}/index.html
  ${HELPDIR}/rescue.html
  ${HELPDIR}/help.css
)
foreach(f ${expected})
  if(NOT EXISTS ${PREFIX}/${f})
    message(FATAL_ERROR "not installed: ${f}")
  endif()
endforeach()
# The image type: recognised by the signature at byte 3 of sector 0.
file(READ ${PREFIX}/${DATADIR}/mime/packages/orvalis.xml package)
if(NOT package MATCHES "<mime-type type=\"([^\"]+)\"")
  message(FATAL_ERROR "orvalis.xml declares no type")
endif()
set(type ${CMAKE_MATCH_1})
if(NOT package MATCHES "<match type=\"string\" offset=\"3\" value=\"HLVRN\"/>")
  message(FATAL_ERROR "orvalis.xml does not know the signature")
endif()
# Where the desktop's database tool is at hand, the install rebuilt the database with the type,
# which proves the package well-formed.
find_program(update_mime update-mime-database)
if(update_mime)
  file(STRINGS ${PREFIX}/${DATADIR}/mime/types known)
  list(FIND known "${type}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the installed type database lacks ${type}")
  endif()
endif()
# Where the desktop entries' cache tool is at hand, the install rebuilt the cache, so that the
# file manager knows which program opens the type.
find_program(update_desktop update-desktop-database)
if(update_desktop)
  file(STRINGS ${PREFIX}/${DATADIR}/applications/mimeinfo.cache cache)
  string(FIND "${cache}" "${type}=orvalis.desktop" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the desktop entries' cache does not give ${type} to orvalis.desktop")
  endif()
endif()
# Software centres take the AppStream description only when it validates.
find_program(appstreamcli appstreamcli)
if(appstreamcli)
  execute_process(COMMAND ${appstreamcli} validate --no-net
                          ${PREFIX}/${DATADIR}/metainfo/org.orvalis.Orvalis.metainfo.xml
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "the AppStream description does not validate: ${out}")
  endif()
endif()
# The menu entry opens such an image as the drive's.
file(READ ${PREFIX}/${DATADIR}/applications/orvalis.desktop entry)
foreach(line "Exec=orvalis --open=%f" "Icon=orvalis" "Type=Application" "MimeType=${type};")
  string(FIND "${entry}" "${line}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "orvalis.desktop lacks \"${line}\"")
  endif()
endforeach()
file(REMOVE_RECURSE ${PREFIX})
message(STATUS "installed layout checked")
