# The Debian package (scripts/package runs cpack on a build configured for /usr) and what it
# adds to an install beyond src/app's rules: the two command-line tools, their manual pages,
# the AppStream metainfo and the copyright file. (quillo-probe, which the program runs from its
# own folder, is installed with it by src/app's rules.)
if(NOT (UNIX AND NOT APPLE))
  return()
endif()

set(quillo_packaging "${CMAKE_CURRENT_LIST_DIR}")

foreach(tool kestrel modemsim)
  if(TARGET ${tool})
    install(TARGETS ${tool} RUNTIME DESTINATION bin COMPONENT tools)
  endif()
endforeach()

# Debian keeps manual pages compressed; -n leaves out the name and time, so a rebuild of the
# same sources gives the same bytes.
find_program(QUILLO_GZIP gzip REQUIRED)
function(quillo_gzip source compressed)
  add_custom_command(
    OUTPUT "${compressed}"
    COMMAND sh -c "\"$1\" -9nc \"$2\" > \"$3\"" sh "${QUILLO_GZIP}" "${source}" "${compressed}"
    DEPENDS "${source}"
    VERBATIM)
endfunction()
set(quillo_man_pages)
foreach(page quillo quillo-cli kestrel modemsim)
  quillo_gzip("${quillo_packaging}/man/${page}.1" "${CMAKE_BINARY_DIR}/man/${page}.1.gz")
  list(APPEND quillo_man_pages "${CMAKE_BINARY_DIR}/man/${page}.1.gz")
endforeach()
file(MAKE_DIRECTORY "${CMAKE_BINARY_DIR}/man")
quillo_gzip("${CMAKE_BINARY_DIR}/changelog" "${CMAKE_BINARY_DIR}/changelog.gz")
add_custom_target(quillo_package_docs ALL DEPENDS ${quillo_man_pages} "${CMAKE_BINARY_DIR}/changelog.gz")
install(FILES ${quillo_man_pages} DESTINATION share/man/man1 COMPONENT quillo)

# The release date is the day of the sources (SOURCE_DATE_EPOCH, which string(TIMESTAMP)
# honours), not of the build.
string(TIMESTAMP QUILLO_RELEASE_DATE "%Y-%m-%d" UTC)
string(TIMESTAMP QUILLO_CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
set(quillo_metainfo "${CMAKE_BINARY_DIR}/io.github.quillo.Quillo.metainfo.xml")
configure_file("${quillo_packaging}/io.github.quillo.Quillo.metainfo.xml" "${quillo_metainfo}" @ONLY)
install(FILES "${quillo_metainfo}" DESTINATION share/metainfo COMPONENT quillo)
configure_file("${quillo_packaging}/changelog.in" "${CMAKE_BINARY_DIR}/changelog" @ONLY)
install(FILES "${quillo_packaging}/copyright" "${CMAKE_BINARY_DIR}/changelog.gz" DESTINATION share/doc/quillo COMPONENT quillo)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillo)
set(CPACK_PACKAGE_VENDOR "The Quillo Project")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "bulk SMS sender for GSM modems")
set(CPACK_PACKAGE_DESCRIPTION
    "Quillo sends one SMS text to a list of mobile numbers through a GSM modem
or a phone on a serial port. The recipients are typed in or imported from a
text file, an Excel worksheet or an Access table; the message is written in
the GSM alphabet or in Unicode, as an alert message or a WAP Push if wanted.
A run sends to each number in turn and logs what happened.
.
The package also holds kestrel, which checks a modem and sends from the
command line, and modemsim, a simulated modem on a pseudo-terminal.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The Quillo Project <support@quillo.example.com>")
set(CPACK_DEBIAN_PACKAGE_SECTION comm)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://quillo.example.com/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The manual and links open in the desktop's default programs.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
# The launcher and the desktop entry are made at install time from CMAKE_INSTALL_PREFIX, so the
# staging folder must come through DESTDIR, not through the prefix.
set(CPACK_SET_DESTDIR ON)
set(CPACK_PACKAGING_INSTALL_PREFIX "${CMAKE_INSTALL_PREFIX}")
set(CPACK_PACKAGE_DIRECTORY "${CMAKE_BINARY_DIR}/package")
include(CPack)
