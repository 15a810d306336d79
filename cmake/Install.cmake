# Installed layout: the programs and their launcher in bin, the player's
# default settings under share/ondrix/defaults, desktop entries and icons in
# the hicolor theme.
install(TARGETS ondrixWavelark31 OndrixMP3 OndrixFlac OndrixWRec RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

set(ONDRIX_DEFAULTS_DIR ${CMAKE_INSTALL_DATADIR}/ondrix/defaults)
file(RELATIVE_PATH ONDRIX_RELATIVE_DEFAULTS
  ${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR} ${CMAKE_INSTALL_PREFIX}/${ONDRIX_DEFAULTS_DIR})
configure_file(resources/desktop/ondrix-launch.in ${CMAKE_BINARY_DIR}/install/ondrix-launch @ONLY)
install(PROGRAMS ${CMAKE_BINARY_DIR}/install/ondrix-launch DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${ONDRIX_DEFAULT_SETTINGS} DESTINATION ${ONDRIX_DEFAULTS_DIR})

# Desktop entries name the launcher by its full path under the prefix given
# at install time (cmake --install --prefix), not the one of the configure.
foreach(entry wavelark mp3 flac wrec)
  install(CODE "
    file(READ \"${CMAKE_SOURCE_DIR}/resources/desktop/ondrix-${entry}.desktop.in\" entry_text)
    string(REPLACE \"@ONDRIX_BINDIR@\" \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\" entry_text \"\${entry_text}\")
    set(entry_file \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/applications/ondrix-${entry}.desktop\")
    message(STATUS \"Installing: \${entry_file}\")
    file(WRITE \"\${entry_file}\" \"\${entry_text}\")
  ")
endforeach()

foreach(size 16 32 48)
  foreach(icon wavelark:wavelark mp3:ondrixmp3 flac:ondrixflac wrec:ondrixwrec)
    string(REPLACE ":" ";" icon_parts ${icon})
    list(GET icon_parts 0 icon_name)
    list(GET icon_parts 1 icon_file)
    install(FILES resources/icons/${icon_file}-${size}.png
      DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
      RENAME ondrix-${icon_name}.png)
  endforeach()
endforeach()

# AppStream data, so that software centres list the programs.
file(GLOB ONDRIX_METAINFO CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/metainfo/*.metainfo.xml)
install(FILES ${ONDRIX_METAINFO} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
