# cmake --install: the programs in bin/, the bundle and the platform
# libraries in lib/morvatelle/ (where morvatelle finds the bundle), and the
# frei0r filter in lib/frei0r-1/, where ffmpeg and MLT look for filters, with
# its descriptions for Kdenlive's and Shotcut's effect lists.
include(GNUInstallDirs)
set(mv_libdir "lib/morvatelle")
set(mv_bundle "${mv_libdir}/Morva Telle.bundle")

set_target_properties(morvatelle morvatelle-settings PROPERTIES INSTALL_RPATH "$ORIGIN/../${mv_libdir}")
set_target_properties(mvtoolkit PROPERTIES INSTALL_RPATH "$ORIGIN")
set_target_properties(morvatelle_bundle PROPERTIES INSTALL_RPATH "$ORIGIN/../../..")
set_target_properties(morvatelle_frei0r PROPERTIES INSTALL_RPATH "$ORIGIN/../morvatelle")

install(TARGETS morvatelle morvatelle-settings RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS mvplatform mvtoolkit LIBRARY DESTINATION ${mv_libdir})
install(TARGETS morvatelle_bundle LIBRARY DESTINATION "${mv_bundle}/Contents/Linux")
install(DIRECTORY "${MV_BUNDLE_DIR}/Contents/" DESTINATION "${mv_bundle}/Contents" PATTERN "Linux" EXCLUDE)
install(TARGETS morvatelle_frei0r LIBRARY DESTINATION lib/frei0r-1)
set(mv_editors "${PROJECT_SOURCE_DIR}/plugin/frei0r/editors")
install(FILES "${mv_editors}/kdenlive/frei0r_morvatelle.xml" DESTINATION ${CMAKE_INSTALL_DATADIR}/kdenlive/effects)
install(DIRECTORY "${mv_editors}/shotcut/morvatelle" DESTINATION ${CMAKE_INSTALL_DATADIR}/shotcut/qml/filters)
