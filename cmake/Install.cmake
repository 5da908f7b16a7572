# cmake --install: the programs in bin/, the bundle and the platform
# libraries in lib/morvatelle/ (where morvatelle finds the bundle), the
# frei0r filter in lib/frei0r-1/, where ffmpeg, MLT and GStreamer look for
# filters, the MLT module and its metadata where MLT looks for them (its
# own folders, taken under the prefix), the GStreamer plug-in in
# GStreamer's plug-in folder (taken alike) with Pitivi's panel for its
# element, and the editors' descriptions for Kdenlive's and Shotcut's effect
# lists: the service's, and the frei0r filter's, hidden, for projects made
# with it.
include(GNUInstallDirs)
find_package(PkgConfig REQUIRED)
set(mv_libdir "lib/morvatelle")
set(mv_bundle "${mv_libdir}/Morva Telle.bundle")

set_target_properties(morvatelle morvatelle-settings PROPERTIES INSTALL_RPATH "$ORIGIN/../${mv_libdir}")
set_target_properties(mvtoolkit PROPERTIES INSTALL_RPATH "$ORIGIN")
set_target_properties(morvatelle_bundle PROPERTIES INSTALL_RPATH "$ORIGIN/../../..")
set_target_properties(morvatelle_frei0r PROPERTIES INSTALL_RPATH "$ORIGIN/../morvatelle")
pkg_get_variable(mv_mlt_prefix mlt-framework-7 prefix)
pkg_get_variable(mv_mlt_modules mlt-framework-7 moduledir)
pkg_get_variable(mv_mlt_data mlt-framework-7 mltdatadir)
file(RELATIVE_PATH mv_mlt_modules "${mv_mlt_prefix}" "${mv_mlt_modules}")
file(RELATIVE_PATH mv_mlt_data "${mv_mlt_prefix}" "${mv_mlt_data}")
file(RELATIVE_PATH mv_mlt_to_libs "/${mv_mlt_modules}" "/${mv_libdir}")
set_target_properties(morvatelle_mlt PROPERTIES INSTALL_RPATH "$ORIGIN/${mv_mlt_to_libs}")
pkg_get_variable(mv_gst_prefix gstreamer-1.0 prefix)
pkg_get_variable(mv_gst_plugins gstreamer-1.0 pluginsdir)
file(RELATIVE_PATH mv_gst_plugins "${mv_gst_prefix}" "${mv_gst_plugins}")
file(RELATIVE_PATH mv_gst_to_libs "/${mv_gst_plugins}" "/${mv_libdir}")
set_target_properties(morvatelle_gst PROPERTIES INSTALL_RPATH "$ORIGIN/${mv_gst_to_libs}")

install(TARGETS morvatelle morvatelle-settings RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS mvplatform mvtoolkit LIBRARY DESTINATION ${mv_libdir})
install(TARGETS morvatelle_bundle LIBRARY DESTINATION "${mv_bundle}/Contents/Linux")
install(DIRECTORY "${MV_BUNDLE_DIR}/Contents/" DESTINATION "${mv_bundle}/Contents" PATTERN "Linux" EXCLUDE)
install(TARGETS morvatelle_frei0r LIBRARY DESTINATION lib/frei0r-1)
install(TARGETS morvatelle_mlt LIBRARY DESTINATION ${mv_mlt_modules})
install(FILES "${PROJECT_SOURCE_DIR}/plugin/mlt/filter_morvatelle.yml" DESTINATION ${mv_mlt_data}/morvatelle)
install(TARGETS morvatelle_gst LIBRARY DESTINATION ${mv_gst_plugins})
install(FILES "${PROJECT_SOURCE_DIR}/plugin/gstreamer/editors/pitivi/morvatellezoom.ui"
        DESTINATION ${CMAKE_INSTALL_DATADIR}/pitivi/ui/customwidgets)
set(mv_editors "${PROJECT_SOURCE_DIR}/plugin/mlt/editors")
set(mv_frei0r_editors "${PROJECT_SOURCE_DIR}/plugin/frei0r/editors")
set(mv_shotcut "${CMAKE_INSTALL_DATADIR}/shotcut/qml/filters")
install(FILES "${mv_editors}/kdenlive/morvatelle.xml" "${mv_frei0r_editors}/kdenlive/frei0r_morvatelle.xml"
        DESTINATION ${CMAKE_INSTALL_DATADIR}/kdenlive/effects)
install(DIRECTORY "${mv_editors}/shotcut/morvatelle_zoom" DESTINATION ${mv_shotcut})
install(DIRECTORY "${mv_frei0r_editors}/shotcut/morvatelle" DESTINATION ${mv_shotcut})
install(FILES "${mv_editors}/shotcut/morvatelle_zoom/vui.qml" DESTINATION ${mv_shotcut}/morvatelle)

# What the install (and so the package) takes, built alone: ./dev package
# builds this rather than the tests and benchmarks.
add_custom_target(installed DEPENDS morvatelle morvatelle-settings mvplatform mvtoolkit morvatelle_bundle
                                    morvatelle_frei0r morvatelle_mlt morvatelle_gst)
if(TARGET manual)
  add_dependencies(installed manual)
endif()
