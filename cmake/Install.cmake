# Installed layout: the programs in bin, the default settings beside the
# share folder, desktop entries and hicolor icons.
install(TARGETS ondrixWavelark31 OndrixMP3 OndrixFlac RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
