# The Debian package that `make package` builds with CPack's DEB generator, and
# the files that present the program to a Debian system besides those in
# resources/ (the desktop entry and the icons): the AppStream metadata, the
# manual page, the copyright file and the changelog.
#
# Included from the top-level CMakeLists.txt once the program's target exists.
# The version is the one of project(VERSION), as in the Windows version block.

if(WIN32)
  # The version block names the file "Vidizizor.exe".
  set_target_properties(vidizizor PROPERTIES OUTPUT_NAME Vidizizor)
endif()

# The package and its files are made for Debian and its kind of Linux.
if(NOT CMAKE_SYSTEM_NAME STREQUAL "Linux")
  return()
endif()

include(GNUInstallDirs)

# A new release changes project(VERSION) and this date, which the AppStream
# release entry, the changelog and the manual page show.
set(VIDIZIZOR_RELEASE_DATE 2026-12-08)
set(VIDIZIZOR_APP_ID com.example.vidizizor)
set(VIDIZIZOR_HOMEPAGE https://example.com/vidizizor/)
set(VIDIZIZOR_MAINTAINER "Vidizizor developers <vz@example.com>")
set(VIDIZIZOR_COPYRIGHT "2026 The Vidizizor developers")

set(vidizizor_packaging_out ${CMAKE_CURRENT_BINARY_DIR}/packaging)

# Writes `source` from this folder with its @-names filled in to `output` in the
# build folder and, with GZIP, a copy compressed the way Debian wants it (best
# compression, no name or time stored).
function(vidizizor_packaging_file source output)
  cmake_parse_arguments(PARSE_ARGV 2 arg "GZIP" "" "")
  set(out ${vidizizor_packaging_out})
  configure_file(${CMAKE_CURRENT_FUNCTION_LIST_DIR}/${source} ${out}/${output} @ONLY)
  if(arg_GZIP)
    execute_process(COMMAND gzip -9nc ${output}
      WORKING_DIRECTORY ${out}
      OUTPUT_FILE ${out}/${output}.gz
      COMMAND_ERROR_IS_FATAL ANY)
  endif()
endfunction()

# Writes every file of this folder that the package installs, with the values
# they show worked out here (in a function, so they stay local).
function(vidizizor_packaging_files)
  # The changelog's trailer wants the date as in e-mail headers.
  execute_process(COMMAND date -u -R -d "${VIDIZIZOR_RELEASE_DATE}"
    OUTPUT_VARIABLE VIDIZIZOR_RELEASE_DATE_RFC2822
    OUTPUT_STRIP_TRAILING_WHITESPACE
    COMMAND_ERROR_IS_FATAL ANY)

  # The screenshot's size, from its PNG header: width and height, four bytes
  # each, at byte 16.
  set(screenshot ${PROJECT_SOURCE_DIR}/docs/screenshot.png)
  file(READ ${screenshot} header OFFSET 16 LIMIT 8 HEX)
  string(SUBSTRING ${header} 0 8 width)
  string(SUBSTRING ${header} 8 8 height)
  math(EXPR VIDIZIZOR_SCREENSHOT_WIDTH "0x${width}")
  math(EXPR VIDIZIZOR_SCREENSHOT_HEIGHT "0x${height}")

  # The copyright file carries the text of LICENSE from its permission notice
  # on, indented, with blank lines written as " ." as the format asks.
  file(READ ${PROJECT_SOURCE_DIR}/LICENSE licence)
  string(FIND "${licence}" "Permission is hereby granted" start)
  string(SUBSTRING "${licence}" ${start} -1 licence)
  string(STRIP "${licence}" licence)
  string(REPLACE "\n\n" "\n.\n" licence "${licence}")
  string(REPLACE "\n" "\n " VIDIZIZOR_MIT_TEXT " ${licence}")

  # The media types the program opens, as the desktop entry lists them.
  set(desktop_entry ${PROJECT_SOURCE_DIR}/resources/vidizizor.desktop)
  file(STRINGS ${desktop_entry} mime_line REGEX "^MimeType=")
  string(REGEX MATCHALL "[a-z]+/[^;\\]+" mime_types "${mime_line}")
  set(lines)
  foreach(type ${mime_types})
    list(APPEND lines "    <mediatype>${type}</mediatype>")
  endforeach()
  string(JOIN "\n" VIDIZIZOR_MEDIATYPES ${lines})

  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
    ${screenshot} ${PROJECT_SOURCE_DIR}/LICENSE ${desktop_entry})
  vidizizor_packaging_file(vidizizor.metainfo.xml.in ${VIDIZIZOR_APP_ID}.metainfo.xml)
  vidizizor_packaging_file(vidizizor.1.in vidizizor.1 GZIP)
  vidizizor_packaging_file(copyright.in copyright)
  vidizizor_packaging_file(changelog.in changelog GZIP)
endfunction()

vidizizor_packaging_files()
install(FILES ${vidizizor_packaging_out}/${VIDIZIZOR_APP_ID}.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${vidizizor_packaging_out}/vidizizor.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${vidizizor_packaging_out}/copyright ${vidizizor_packaging_out}/changelog.gz
  DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/vidizizor)

# A stripping install (the package's) also drops the compiler's notes that a
# plain strip keeps, as Debian's own packaging tools do.
if(CMAKE_OBJCOPY)
  install(CODE "
    if(CMAKE_INSTALL_DO_STRIP)
      execute_process(COMMAND \"${CMAKE_OBJCOPY}\" --remove-section=.comment --remove-section=.note
        \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/$<TARGET_FILE_NAME:vidizizor>\"
        COMMAND_ERROR_IS_FATAL ANY)
    endif()")
endif()

# Packaging installs only the program and its files, so it needs only the
# program built, not every test.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vidizizor)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${VIDIZIZOR_MAINTAINER})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION editors)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${VIDIZIZOR_HOMEPAGE})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION [=[plain-text editor with several documents in one window
Vidizizor is a small plain-text editor with a multiple-document interface:
one main window holds any number of document windows, which can be cascaded
or tiled. It creates, opens, saves and prints documents, cuts, copies and
pastes through the system clipboard, and inserts the time and date. The
interface is in Italian.

A file is read in the locale's encoding, and every byte that is not valid
there is kept and written back unchanged. Saving replaces a file only once
the whole new content is written. Huge files open fast.]=])
include(CPack)
