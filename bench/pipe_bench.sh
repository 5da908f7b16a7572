#!/usr/bin/env bash
# The render pipeline's own work: morvatelle render to a pipe (Y4M into
# /dev/null, so no encoder hides it) against decoding alone and against
# ffmpeg's zoompan on the same course with ffmpeg's null output, on a
# 1920x1080, 30 fps H.264 + AAC clip. Least CPU time of $REPEAT runs
# (default 3); each one's work beyond decoding, and a single frame's render,
# which is what starting up costs; then all of it again on one core.
#   bench/pipe_bench.sh BUILD_DIR [SECONDS]
set -euo pipefail
build=$(cd "${1:?usage: bench/pipe_bench.sh BUILD_DIR [SECONDS]}" && pwd)
seconds=${2:-10}
repeat=${REPEAT:-3}
host=$build/bin/morvatelle
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# shellcheck source=bench/lib.sh
. "$(dirname "$0")/lib.sh"
scratch_settings "$host"

ffmpeg -nostdin -v error -y -f lavfi -i "testsrc2=size=1920x1080:rate=30:duration=$seconds" \
  -f lavfi -i "sine=frequency=440:sample_rate=48000:duration=$seconds" \
  -c:v libx264 -preset veryfast -crf 18 -pix_fmt yuv420p -c:a aac -ac 2 "$work/in.mp4"
frames=$((seconds * 30))
zoompan=$(zoompan_course "$frames")

echo "== $seconds s of 1920x1080 at 30 fps ($frames frames); pictures only, as the Y4M render reads no sound"
cpu "decode" ffmpeg -nostdin -v error -i "$work/in.mp4" -an -f null -;                           dec=$cpu
cpu "zoompan, null output" ffmpeg -nostdin -v error -i "$work/in.mp4" -an -vf "$zoompan" -f null -; zp=$cpu
cpu "morvatelle, Y4M pipe" "$host" render "$work/in.mp4" -o - --format y4m;                       mt=$cpu
cpu "morvatelle, one frame" "$host" render "$work/in.mp4" -o - --format y4m --frames 1;          one=$cpu
cpu "decode, one frame" ffmpeg -nostdin -v error -i "$work/in.mp4" -an -frames:v 1 -f null -;    done=$cpu
ours=$(echo "$mt - $dec" | bc); theirs=$(echo "$zp - $dec" | bc)
echo "beyond decoding: morvatelle $ours s, zoompan $theirs s: $(ratio "$ours" "$theirs") (target <= 0.5)"
echo "starting up (one frame, beyond decoding one): $(echo "$one - $done" | bc) s"

# The same on one core with one decoding thread each: no work running beside
# other work, so the CPU time is each pipeline's own and far less noisy.
if command -v taskset >/dev/null; then
  echo "== on one core"
  cpu "decode" taskset -c 0 ffmpeg -nostdin -v error -threads 1 -i "$work/in.mp4" -an -f null -; dec=$cpu
  cpu "zoompan, null output" taskset -c 0 ffmpeg -nostdin -v error -threads 1 -i "$work/in.mp4" -an \
    -vf "$zoompan" -f null -;                                                                      zp=$cpu
  cpu "morvatelle, Y4M pipe" taskset -c 0 "$host" render "$work/in.mp4" -o - --format y4m;      mt=$cpu
  ours=$(echo "$mt - $dec" | bc); theirs=$(echo "$zp - $dec" | bc)
  echo "beyond decoding: morvatelle $ours s, zoompan $theirs s: $(ratio "$ours" "$theirs")"
fi
