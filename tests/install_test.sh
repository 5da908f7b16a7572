#!/usr/bin/env bash
# cmake --install into a scratch prefix: the installed program finds the
# installed bundle and the settings tool, and every installed library finds
# the platform libraries beside it; the editors' descriptions are installed;
# with "hosts", ffmpeg and melt render through the installed filter, and
# GStreamer through the installed element.
# usage: install_test.sh BUILD_DIR [hosts]
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" > /dev/null
export XDG_CONFIG_HOME="$prefix/config"
"$prefix/bin/morvatelle" info | grep -q "$prefix/lib/morvatelle/Morva Telle.bundle/Contents/Linux/morvatelle.so"
"$prefix/bin/morvatelle" settings show | grep -q "^region: left 0, right 1, top 0, bottom 1$"
gst_plugins=$prefix/$(pkg-config --variable=pluginsdir gstreamer-1.0 | sed 's|^/usr/||')
for lib in "$prefix/lib/frei0r-1/morvatelle.so" "$prefix/lib/morvatelle/Morva Telle.bundle/Contents/Linux/morvatelle.so" \
           "$gst_plugins/libgstmorvatelle.so"; do
  [ -f "$lib" ] || { echo "missing: $lib"; exit 1; }
  if ldd "$lib" | grep -q "not found"; then echo "unresolved in $lib:"; ldd "$lib"; exit 1; fi
done
for f in share/kdenlive/effects/frei0r_morvatelle.xml share/shotcut/qml/filters/morvatelle/meta.qml \
         share/shotcut/qml/filters/morvatelle/ui.qml; do
  [ -f "$prefix/$f" ] || { echo "missing: $f"; exit 1; }
done
if [ "${2:-}" = hosts ]; then
  export FREI0R_PATH=$prefix/lib/frei0r-1
  ffmpeg -nostdin -v error -f lavfi -i testsrc2=size=64x48:rate=25:duration=0.4 \
    -vf "frei0r=filter_name=morvatelle:filter_params=0.25|0.75|0.25|0.75|0.1|0.5|0|10e-6|25e-3|0.001|y|y" \
    -f null - || { echo "ffmpeg cannot run the installed filter"; exit 1; }
  clip=$prefix/clip.mkv
  ffmpeg -nostdin -v error -f lavfi -i testsrc2=size=64x48:rate=25:duration=0.4 -c:v ffv1 "$clip"
  melt -quiet "$clip" -filter frei0r.morvatelle left=0.25 frames=10e-6 frame-rate=25e-3 \
    -consumer avformat:"$prefix/melt.mkv" vcodec=ffv1 an=1 >/dev/null 2>&1
  frames() { ffmpeg -v error -i "$1" -f framemd5 -pix_fmt rgb24 - | grep -vc '^#' ; }
  pictures() { ffmpeg -v error -i "$1" -f framemd5 -pix_fmt rgb24 - | grep -v '^#' | cut -d, -f6; }
  [ "$(frames "$prefix/melt.mkv")" = 10 ] && [ "$(pictures "$prefix/melt.mkv")" != "$(pictures "$clip")" ] ||
    { echo "melt cannot run the installed filter"; exit 1; }
  GST_PLUGIN_PATH=$gst_plugins GST_REGISTRY=$prefix/registry.bin gst-launch-1.0 -q videotestsrc num-buffers=10 ! \
    video/x-raw,width=64,height=48 ! videoconvert ! morvatellezoom ! fakesink ||
    { echo "GStreamer cannot run the installed element"; exit 1; }
fi
echo "installed and found"
