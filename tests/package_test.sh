#!/usr/bin/env bash
# cpack's Debian package of a build: its name, where it puts each file (where
# Debian's MLT, ffmpeg, GStreamer, Pitivi, Kdenlive and Shotcut look), and the
# dependencies dpkg-shlibdeps found for what it links.
# usage: package_test.sh BUILD_DIR VERSION
set -euo pipefail
build=$1 version=$2
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
cpack --config "$build/CPackConfig.cmake" -B "$out" > "$out/cpack.log" 2>&1 || { cat "$out/cpack.log"; exit 1; }
arch=$(dpkg --print-architecture)
mlt_modules=$(pkg-config --variable=moduledir mlt-framework-7)
gst_plugins=$(pkg-config --variable=pluginsdir gstreamer-1.0)
deb=$out/morvatelle_${version}_${arch}.deb
[ -f "$deb" ] || { echo "no $deb:"; ls "$out"; exit 1; }
files=$(dpkg-deb -c "$deb" | awk '{ $1 = $2 = $3 = $4 = $5 = ""; sub(/^ +/, ""); print }')
for f in ./usr/bin/morvatelle ./usr/bin/morvatelle-settings ./usr/lib/frei0r-1/morvatelle.so \
         "./usr/lib/morvatelle/Morva Telle.bundle/Contents/Linux/morvatelle.so" \
         ./usr/lib/morvatelle/libmvplatform.so ./usr/lib/morvatelle/libmvtoolkit.so \
         ".$mlt_modules/libmltmorvatelle.so" ./usr/share/mlt-7/morvatelle/filter_morvatelle.yml \
         ".$gst_plugins/libgstmorvatelle.so" ./usr/share/pitivi/ui/customwidgets/morvatellezoom.ui \
         ./usr/share/kdenlive/effects/morvatelle.xml ./usr/share/kdenlive/effects/frei0r_morvatelle.xml \
         ./usr/share/shotcut/qml/filters/morvatelle_zoom/{meta,ui,vui}.qml \
         ./usr/share/shotcut/qml/filters/morvatelle/{meta,ui,vui}.qml; do
  grep -qxF "$f" <<< "$files" || { echo "the package lacks $f"; exit 1; }
done
if grep -v "^\./usr/\(bin\|lib/frei0r-1\|lib/morvatelle\|${mlt_modules#/usr/}\|${gst_plugins#/usr/}\|share/mlt-7/morvatelle\|share/kdenlive/effects\|share/shotcut/qml/filters\|share/pitivi/ui/customwidgets\)\(/\|$\)" <<< "$files" |
   grep -vxE '\./(usr/((lib|lib/[^/]+|share|share/mlt-7|share/kdenlive|share/shotcut|share/shotcut/qml|share/pitivi|share/pitivi/ui)/)?)?'; then
  echo "files outside the places above"; exit 1
fi
depends=$(dpkg-deb -f "$deb" Depends)
for d in libavcodec libavformat libswscale libpixman-1-0 libqt6widgets6 libyuv0 libmlt7 libgstreamer1.0-0 libgstreamer-plugins-base1.0-0 libc6; do
  grep -q "\b$d" <<< "$depends" || { echo "Depends lacks $d: $depends"; exit 1; }
done
echo "$(basename "$deb"): $(wc -l <<< "$files") entries; Depends: $depends"
