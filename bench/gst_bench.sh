#!/usr/bin/env bash
# The GStreamer element in gst-launch-1.0 against the frei0r filter and
# GStreamer's own crop and Lanczos-3 scale (videocrop ! videoscale, the held
# zoom alone): 10 s of a 1920x1080, 30 fps H.264 clip, the region (0.25,
# 0.75, 0.25, 0.75), zoom in over 10 % and out over 50 % of the clip, in
# RGBA to a fakesink. Each pipeline's least CPU time over $REPEAT runs
# (default 3), the pipeline with no filter, and each filter's CPU beyond it.
#   bench/gst_bench.sh BUILD_DIR [SECONDS]
set -euo pipefail
build=$(cd "${1:?usage: bench/gst_bench.sh BUILD_DIR [SECONDS]}" && pwd)
seconds=${2:-10}
repeat=${REPEAT:-3}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export GST_PLUGIN_PATH=$build/gstreamer-1.0 GST_REGISTRY=$work/registry FREI0R_PATH=$build/frei0r-1

ffmpeg -nostdin -v error -y -f lavfi -i "testsrc2=size=1920x1080:rate=30:duration=$seconds" \
  -c:v libx264 -preset veryfast -crf 18 -pix_fmt yuv420p "$work/in.mp4"
frames=$((seconds * 30))

# shellcheck source=bench/lib.sh
. "$(dirname "$0")/lib.sh"
# rendered LABEL FILTER...: gst-launch-1.0's CPU for the clip through FILTER, in RGBA.
rendered() {
  local label=$1
  shift
  cpu "$label" gst-launch-1.0 -q filesrc location="$work/in.mp4" ! decodebin ! videoconvert ! \
    video/x-raw,format=RGBA ! "$@" ! fakesink
}
region=(left=0.25 right=0.75 top=0.25 bottom=0.75 zoom-in=0.1 zoom-out=0.5)

echo "== $seconds s of 1920x1080 at 30 fps ($frames frames) in gst-launch-1.0, RGBA to a fakesink"
rendered "no filter" identity;                                                          none=$cpu
rendered "element exact" morvatellezoom "${region[@]}" smooth=false;                    ex=$cpu
rendered "element smooth" morvatellezoom "${region[@]}";                                sm=$cpu
rendered "frei0r exact" frei0r-filter-morva-telle-zoom "${region[@]}" frames=${frames}e-6 frame-rate=30e-3; fr=$cpu
rendered "videocrop + lanczos" videocrop left=480 right=480 top=270 bottom=270 ! videoscale method=lanczos envelope=3 ! \
  video/x-raw,width=1920,height=1080;                                                   vs=$cpu
beyond() { echo "$1 - $none" | bc; }
echo "beyond no filter, element exact / frei0r:        $(ratio "$(beyond "$ex")" "$(beyond "$fr")")"
echo "beyond no filter, element smooth / crop+lanczos: $(ratio "$(beyond "$sm")" "$(beyond "$vs")")"
echo "beyond no filter, element smooth / exact:        $(ratio "$(beyond "$sm")" "$(beyond "$ex")")"
