#!/usr/bin/env bash
# The MLT service in melt against the frei0r filter and Kdenlive's Transform
# (qtblend, its rectangle keyframed along the same course): 10 s of a
# 1920x1080, 30 fps H.264 clip, the region (0.25, 0.75, 0.25, 0.75), zoom in
# over 10 % and out over 50 % of the clip, to ffmpeg's null muxer. Each
# command's least CPU time over $REPEAT runs (default 3), the render with no
# filter, and each filter's CPU beyond it; then the service with two workers
# (real_time=-2, Shotcut's parallel export) against one, CPU and clock.
#   bench/mlt_bench.sh BUILD_DIR [SECONDS]
set -euo pipefail
build=$(cd "${1:?usage: bench/mlt_bench.sh BUILD_DIR [SECONDS]}" && pwd)
seconds=${2:-10}
repeat=${REPEAT:-3}
work=$(mktemp -d)
# MLT's Qt module (qtblend) wants an X display, even to render off screen.
Xvfb :97 -screen 0 640x480x24 >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb; rm -rf "$work"' EXIT
export DISPLAY=:97

# MLT's module and data folders, with the module we built in place of any installed.
mkdir "$work/modules" "$work/data"
for f in "$(pkg-config --variable=moduledir mlt-framework-7)"/*; do
  [[ $f == *morvatelle* ]] || ln -s "$f" "$work/modules/"
done
for f in "$(pkg-config --variable=mltdatadir mlt-framework-7)"/*; do
  [[ $f == *morvatelle ]] || ln -s "$f" "$work/data/"
done
ln -s "$build/mlt-7/libmltmorvatelle.so" "$work/modules/"
ln -s "$build/mlt-7-data/morvatelle" "$work/data/"
export MLT_REPOSITORY=$work/modules MLT_DATA=$work/data FREI0R_PATH=$build/frei0r-1 LADSPA_PATH=/nonexistent

ffmpeg -nostdin -v error -y -f lavfi -i "testsrc2=size=1920x1080:rate=30:duration=$seconds" \
  -c:v libx264 -preset veryfast -crf 18 -pix_fmt yuv420p "$work/in.mp4"
frames=$((seconds * 30))
in=$((frames * 10 / 100)) out=$((frames - frames * 50 / 100))

# shellcheck source=bench/lib.sh
. "$(dirname "$0")/lib.sh"
# rendered LABEL WORKERS [FILTER ARGS...]: melt's CPU for the clip through FILTER.
rendered() {
  local label=$1 workers=$2
  shift 2
  cpu "$label" melt -quiet "$work/in.mp4" "$@" -consumer "avformat:$work/out.nut" f=null vcodec=rawvideo \
    an=1 real_time="$workers"
}
region=(left=0.25 right=0.75 top=0.25 bottom=0.75 zoom-in=0.1 zoom-out=0.5)

echo "== $seconds s of 1920x1080 at 30 fps ($frames frames) in melt, null output"
rendered "no filter" -1;                                                            none=$cpu
rendered "service exact" -1 -filter morvatelle "${region[@]}";                      ex=$cpu ex1=$wall
rendered "service smooth" -1 -filter morvatelle "${region[@]}" smooth=1;            sm=$cpu
rendered "frei0r exact" -1 -filter frei0r.morvatelle "${region[@]}" frames=${frames}e-6 frame-rate=30e-3; fr=$cpu
rendered "qtblend (Transform)" -1 -filter qtblend \
  "rect=0=0 0 1920 1080;$in=-960 -540 3840 2160;$out=-960 -540 3840 2160;$((frames - 1))=0 0 1920 1080"; qt=$cpu
rendered "service, two workers" -2 -filter morvatelle "${region[@]}";               ex2=$cpu ex2w=$wall
beyond() { echo "$1 - $none" | bc; }
echo "beyond no filter, service / frei0r:          $(ratio "$(beyond "$ex")" "$(beyond "$fr")")"
echo "beyond no filter, service / qtblend:         $(ratio "$(beyond "$ex")" "$(beyond "$qt")")"
echo "beyond no filter, service smooth / qtblend:  $(ratio "$(beyond "$sm")" "$(beyond "$qt")")"
echo "two workers / one, CPU:                      $(ratio "$ex2" "$ex")"
echo "two workers / one, clock:                    $(ratio "$ex2w" "$ex1")"
