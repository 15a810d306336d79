# `make package`: one Debian package with everything cmake/Install.cmake
# installs, under /usr. The library dependencies are read from the binaries
# (dpkg-shlibdeps); what they load at run time or start is named here.
set(ONDRIX_PACKAGE_NAME ondrix)
set(ONDRIX_PACKAGE_DOCS ${CMAKE_INSTALL_DATADIR}/doc/${ONDRIX_PACKAGE_NAME})

# The change log and the manual pages, compressed as Debian wants them and
# byte for byte the same on every build. Made at configure time, so that
# `cmake --install` of any build that has the programs finds them.
find_program(GZIP_EXECUTABLE gzip REQUIRED)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/package/man)
file(GLOB ONDRIX_MAN_PAGES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/man/*.1)
set(ONDRIX_COMPRESSED_MAN_PAGES "")
foreach(source ${CMAKE_SOURCE_DIR}/resources/package/changelog ${ONDRIX_MAN_PAGES})
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})
  get_filename_component(name ${source} NAME)
  if(name STREQUAL "changelog")
    set(compressed ${CMAKE_BINARY_DIR}/package/changelog.gz)
  else()
    set(compressed ${CMAKE_BINARY_DIR}/package/man/${name}.gz)
    list(APPEND ONDRIX_COMPRESSED_MAN_PAGES ${compressed})
  endif()
  execute_process(COMMAND ${GZIP_EXECUTABLE} -9nc ${source} OUTPUT_FILE ${compressed}
    COMMAND_ERROR_IS_FATAL ANY)
endforeach()
install(FILES resources/package/copyright ${CMAKE_BINARY_DIR}/package/changelog.gz
  DESTINATION ${ONDRIX_PACKAGE_DOCS})
install(FILES ${ONDRIX_COMPRESSED_MAN_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${ONDRIX_PACKAGE_NAME})
set(CPACK_PACKAGE_VENDOR "Ondrix")
set(CPACK_PACKAGE_CONTACT "Ondrix developers <developers@ondrix.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "internet radio player, recorder and WAV to MP3/FLAC converters")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "Wavelark Player plays internet radio from eight station buttons or a typed\n"
  "address, and local audio files from a folder in list order or at random.\n"
  "It shows the play state, the bit rate and a clock with a second time zone,\n"
  "and answers the desktop's media keys.\n"
  "\n"
  "Ondrix Mp3 and Ondrix Flac convert WAV files with the LAME and FLAC\n"
  "encoders, with preset or typed options. Ondrix WRec records what the\n"
  "desktop plays into a WAV file for them.")
# Absolute paths under /usr at install time, so the desktop entries name
# /usr/bin/ondrix-launch and not the staging folder.
set(CPACK_SET_DESTDIR ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's X11 platform plugin is loaded, not linked; the launcher and the shell
# open use xdg-utils.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "lame, flac, fonts-dejavu-core, fonts-liberation, xdg-user-dirs")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
include(CPack)
