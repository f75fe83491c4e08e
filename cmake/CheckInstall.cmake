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
  ${DATADIR}/icons/hicolor/scalable/apps/orvalis.svg
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
file(READ ${PREFIX}/${DATADIR}/applications/orvalis.desktop entry)
foreach(line "Exec=orvalis %f" "Icon=orvalis" "Type=Application")
  string(FIND "${entry}" "${line}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "orvalis.desktop lacks \"${line}\"")
  endif()
endforeach()
file(REMOVE_RECURSE ${PREFIX})
message(STATUS "installed layout checked")
