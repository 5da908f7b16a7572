#!/usr/bin/env bash
# The frei0r filter in ffmpeg against zoompan on the same course: a 1920x1080,
# 30 fps H.264 clip, the region (0.25, 0.75, 0.25, 0.75), zoom in over 10 %
# and out over 50 % of the clip, ffmpeg's null output so no encoder hides the
# difference. Each command's least CPU time over $REPEAT runs (default 3),
# decoding alone, and each filter's work beyond decoding (the frei0r filter's
# with the picture conversions ffmpeg puts around it: for 1080p frames they
# cost several times zoompan's whole work, so no RGBA frei0r filter meets
# zoompan's time; bench/frei0r_frame_bench shows the filter's own work). Then a slow zoom's
# glide, exact, smooth and zoompan's: how an edge in the picture moves.
#   bench/frei0r_bench.sh BUILD_DIR [SECONDS]
set -euo pipefail
build=$(cd "${1:?usage: bench/frei0r_bench.sh BUILD_DIR [SECONDS]}" && pwd)
seconds=${2:-10}
repeat=${REPEAT:-3}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export FREI0R_PATH=$build/frei0r-1

ffmpeg -nostdin -v error -y -f lavfi -i "testsrc2=size=1920x1080:rate=30:duration=$seconds" \
  -c:v libx264 -preset veryfast -crf 18 -pix_fmt yuv420p "$work/in.mp4"
frames=$((seconds * 30))

# shellcheck source=bench/lib.sh
. "$(dirname "$0")/lib.sh"
zoompan=$(zoompan_course "$frames")
params="0.25|0.75|0.25|0.75|0.1|0.5|0|${frames}e-6|30e-3|0.001"
# filtered LABEL FILTER: the CPU of decoding through FILTER and back to YUV
# 4:2:0, as any encoder takes it (the frei0r filter's RGBA costs a
# conversion each way, zoompan's YUV none).
filtered() {
  cpu "$1" ffmpeg -nostdin -v error -i "$work/in.mp4" -vf "$2,format=yuv420p" -f null -
}

echo "== $seconds s of 1920x1080 at 30 fps ($frames frames), null output"
filtered decode null;                                                      dec=$cpu
filtered zoompan "$zoompan";                                               zp=$cpu
filtered "frei0r exact" "frei0r=filter_name=morvatelle:filter_params=$params|n|n"; ex=$cpu
filtered "frei0r smooth" "frei0r=filter_name=morvatelle:filter_params=$params|y|n"; sm=$cpu
echo "whole command, exact / zoompan:   $(ratio "$ex" "$zp")  (target <= 0.5)"
echo "whole command, smooth / zoompan:  $(ratio "$sm" "$zp")  (target <= 1)"
echo "beyond decoding, exact / zoompan:  $(ratio "$(echo "$ex - $dec" | bc)" "$(echo "$zp - $dec" | bc)")"
echo "beyond decoding, smooth / zoompan: $(ratio "$(echo "$sm - $dec" | bc)" "$(echo "$zp - $dec" | bc)")"

# A slow zoom's glide: a white edge right of the centre in a 480x270 frame,
# the crop's sides moving in by 24 pixels over 40 frames. Where the edge
# stands in each frame (the bright share of the middle row), and how it moves:
# every step should go the same way and stay under a pixel.
ffmpeg -nostdin -v error -y -f lavfi \
  -i "color=black:s=480x270:r=25:d=1.64,drawbox=x=360:y=0:w=120:h=270:color=white:t=fill" \
  -c:v ffv1 -pix_fmt bgr0 "$work/edge.mkv"
glide() {
  local label=$1 filter=$2
  ffmpeg -nostdin -v error -i "$work/edge.mkv" -vf "$filter,crop=480:1:0:135" -f rawvideo -pix_fmt gray - |
    od -An -tu1 -v -w480 | awk -v label="$label" '
      { s = 0; for (i = 1; i <= NF; i++) s += $i; e = NF - s / 255
        if (NR > 1) { d = e - last; if (d > most) most = d; if (-d > back) back = -d
                      if (d < -0.01) backs++; if (d > -0.01 && d < 0.01) still++ }
        last = e }
      END { printf "%-14s largest step %.2f px, largest step back %.2f px, %d steps back, %d frames standing still\n",
                   label, most, back, backs, still }'
}
echo "== a slow zoom's glide (40 frames, the edge moves 13 pixels)"
glide "frei0r exact" "frei0r=filter_name=morvatelle:filter_params=0.05|0.95|0.05|0.95|1|0|0|80e-6|25e-3|0.001|n|n"
glide "frei0r smooth" "frei0r=filter_name=morvatelle:filter_params=0.05|0.95|0.05|0.95|1|0|0|80e-6|25e-3|0.001|y|n"
glide zoompan "zoompan=z='1/(1-0.1*min(on\,40)/40)':x='iw/2-iw/zoom/2':y='ih/2-ih/zoom/2':d=1:s=480x270:fps=25"
