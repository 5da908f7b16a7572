# cpack: morvatelle_<version>_<arch>.deb, installed under /usr: the programs
# in bin/, the bundle in lib/morvatelle/, the frei0r filter in lib/frei0r-1/
# (where Debian's MLT, ffmpeg and GStreamer all look), the MLT module and its
# metadata in MLT's folders, the GStreamer plug-in in GStreamer's, and the
# editors' files where Debian's Kdenlive and Shotcut read them. Its dependencies are those of the shared libraries
# it links, as dpkg-shlibdeps finds them (libmlt7 for the module,
# libgstreamer1.0-0 and libgstreamer-plugins-base1.0-0 for the plug-in).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME morvatelle)
set(CPACK_PACKAGE_VENDOR "The Morva Telle developers")
set(CPACK_PACKAGE_CONTACT "The Morva Telle developers <maintainers@users.noreply.c-seed-16ec4137.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "zoom that follows a fixed course over a clip")
set(CPACK_PACKAGE_DESCRIPTION "Morva Telle zooms in from the whole frame to a region over the start of a clip,\n\
holds it, and zooms back out over its end. It renders video files with its own\n\
program, and comes as an MLT filter of its own for Kdenlive and Shotcut, which\n\
run its course over each clip as trimmed or split, as a GStreamer element of\n\
its own, which does the same in Pitivi, and as a frei0r filter for ffmpeg.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The platform libraries are the package's own, found beside the programs.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS "${CMAKE_BINARY_DIR}/lib")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")  # the dialog in a Wayland session
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "kdenlive, shotcut, pitivi, melt, ffmpeg, gstreamer1.0-plugins-bad")
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
set(CPACK_STRIP_FILES ON)
include(CPack)
