#!/usr/bin/env bash
# The frei0r filter in ffmpeg against zoompan on the same course: a 1920x1080,
# 30 fps H.264 clip, the region (0.25, 0.75, 0.25, 0.75), zoom in over 10 %
# and out over 50 % of the clip, ffmpeg's null output so no encoder hides the
# difference. Each command's least CPU time over $REPEAT runs (default 3),
# decoding alone, and each filter's work beyond decoding (the frei0r filter's
# with the picture conversions ffmpeg puts around it).
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

# cpu LABEL FILTER: the least user + system time of the runs, in $cpu.
cpu() {
  local label=$1 filter=$2 n u s c
  cpu=
  for ((n = 0; n < repeat; n++)); do
    /usr/bin/time -f '%U %S' -o "$work/time" ffmpeg -nostdin -v error -i "$work/in.mp4" -vf "$filter" -f null - \
      2>"$work/err" || { echo "$label failed:"; cat "$work/err"; exit 1; }
    read -r u s <"$work/time"
    c=$(echo "$u + $s" | bc)
    if [ -z "$cpu" ] || [ "$(echo "$c < $cpu" | bc)" = 1 ]; then cpu=$c; fi
  done
  printf '%-22s cpu %6.2f s\n' "$label" "$cpu"
}
ratio() { echo "scale=3; $1 / $2" | bc; }

# The course as the effect runs it: the region's edges move evenly, so the
# zoom is the reciprocal of the region's width.
in=$((frames * 10 / 200)); out=$((frames * 50 / 200)); outStart=$((frames - out))
w="if(lt(on,$in),1-0.5*on/$in,if(gt(on,$outStart),0.5+0.5*(on-$outStart)/$out,0.5))"
zoompan="zoompan=z='1/($w)':x='iw/2-iw/zoom/2':y='ih/2-ih/zoom/2':d=1:s=1920x1080:fps=30"
params="0.25|0.75|0.25|0.75|0.1|0.5|0|$frames|30|1000"

echo "== $seconds s of 1920x1080 at 30 fps ($frames frames), null output"
cpu decode null;                                                     dec=$cpu
cpu zoompan "$zoompan";                                              zp=$cpu
cpu "frei0r exact" "frei0r=filter_name=morvatelle:filter_params=$params|n|n"; ex=$cpu
cpu "frei0r smooth" "frei0r=filter_name=morvatelle:filter_params=$params|y|n"; sm=$cpu
echo "whole command, exact / zoompan:   $(ratio "$ex" "$zp")  (target <= 0.5)"
echo "whole command, smooth / zoompan:  $(ratio "$sm" "$zp")  (target <= 1)"
echo "beyond decoding, exact / zoompan:  $(ratio "$(echo "$ex - $dec" | bc)" "$(echo "$zp - $dec" | bc)")"
echo "beyond decoding, smooth / zoompan: $(ratio "$(echo "$sm - $dec" | bc)" "$(echo "$zp - $dec" | bc)")"
