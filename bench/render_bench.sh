#!/usr/bin/env bash
# Clip rendering against plain ffmpeg: morvatelle render with the region
# (0.25, 0.75, 0.25, 0.75) and default sliders, a plain transcode, and
# ffmpeg's zoompan following the same course, all with libx264 veryfast
# CRF 18 and AAC. Reports wall time, CPU time and peak memory, and their
# ratios; then the encoder alone on the source and on a zoomed course, which
# bounds what any zoom can reach against the transcode; then the same render
# without the zoom, which shows what the zoom itself costs; then peak memory
# for a 10 s and a 60 s clip, and for 3840x2160 beside what the encoder alone
# needs there.
#   bench/render_bench.sh BUILD_DIR [SECONDS]     (REPEAT=N: runs of each timing, default 3)
set -euo pipefail
build=$(cd "${1:?usage: bench/render_bench.sh BUILD_DIR [SECONDS]}" && pwd)
seconds=${2:-10}
host=$build/bin/morvatelle
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# shellcheck source=bench/lib.sh
. "$(dirname "$0")/lib.sh"
scratch_settings "$host"

# clip NAME SIZE SECONDS: a 30 fps H.264 + AAC test clip.
clip() {
  ffmpeg -nostdin -v error -y -f lavfi -i "testsrc2=size=$2:rate=30:duration=$3" \
    -f lavfi -i "sine=frequency=440:sample_rate=48000:duration=$3" \
    -c:v libx264 -preset veryfast -crf 18 -pix_fmt yuv420p -c:a aac -ac 2 "$work/$1"
}

# measure LABEL CMD...: runs CMD $repeat times and prints "LABEL wall cpu peak"
# with the least wall and CPU time of the runs (the machine is shared, and
# other load only ever adds time); keeps them in $wall $cpu $peak.
repeat=${REPEAT:-3}
measure() {
  local label=$1; shift
  local n w u s p c
  wall= cpu= peak=0
  for ((n = 0; n < repeat; n++)); do
    /usr/bin/time -f '%e %U %S %M' -o "$work/time" "$@" >/dev/null 2>"$work/err" </dev/null || {
      echo "$label failed:"; cat "$work/err"; exit 1; }
    read -r w u s p <"$work/time"
    c=$(echo "$u + $s" | bc)
    if [ -z "$wall" ] || [ "$(echo "$w < $wall" | bc)" = 1 ]; then wall=$w; fi
    if [ -z "$cpu" ] || [ "$(echo "$c < $cpu" | bc)" = 1 ]; then cpu=$c; fi
    if [ "$p" -gt "$peak" ]; then peak=$p; fi
  done
  printf '%-16s wall %6.2f s  cpu %6.2f s  peak %7.1f MB\n' "$label" "$wall" "$cpu" "$(echo "$peak / 1024" | bc -l)"
}


x264=(-c:v libx264 -preset veryfast -crf 18 -pix_fmt yuv420p -c:a aac)
clip in.mp4 1920x1080 "$seconds"
frames=$(ffprobe -v error -select_streams v:0 -count_packets -show_entries stream=nb_read_packets -of csv=p=0 "$work/in.mp4")

zoompan=$(zoompan_course "$frames")

echo "== $seconds s of 1920x1080 at 30 fps ($frames frames)"
measure morvatelle "$host" render "$work/in.mp4" -o "$work/mt.mp4" --crf 18
mt_wall=$wall mt_cpu=$cpu
measure transcode ffmpeg -nostdin -v error -y -i "$work/in.mp4" "${x264[@]}" "$work/plain.mp4"
tr_wall=$wall tr_cpu=$cpu
measure zoompan ffmpeg -nostdin -v error -y -i "$work/in.mp4" -vf "$zoompan" "${x264[@]}" "$work/zp.mp4"
zp_wall=$wall zp_cpu=$cpu
echo "morvatelle / transcode: wall $(ratio "$mt_wall" "$tr_wall")  cpu $(ratio "$mt_cpu" "$tr_cpu")  (target <= 1.15)"
echo "morvatelle / zoompan:   wall $(ratio "$mt_wall" "$zp_wall")  cpu $(ratio "$mt_cpu" "$zp_cpu")  (target < 1)"

# The encoder alone on the source's frames and on a zoomed course of them
# (zoompan's), each written to raw yuv420p first so that nothing else runs
# while it is timed: what the zoomed picture costs the encoder, whoever draws it.
encoder() {
  local label=$1; shift
  ffmpeg -nostdin -v error -y -i "$work/in.mp4" "$@" -an -f rawvideo -pix_fmt yuv420p "$work/frames.yuv"
  measure "$label" ffmpeg -nostdin -v error -f rawvideo -pix_fmt yuv420p -s 1920x1080 -r 30 \
    -i "$work/frames.yuv" -c:v libx264 -preset veryfast -crf 18 -f null -
  rm -f "$work/frames.yuv"
}
echo "== the encoder alone"
encoder "x264 on source"
es_cpu=$cpu
encoder "x264 on zoomed" -vf "$zoompan"
echo "x264 on the zoomed course / on the source: cpu $(ratio "$cpu" "$es_cpu")"

# The same render with the region at the whole frame: every step of the
# pipeline runs (conversions, the render run's copies, the copy at 1:1), only
# the zoom is missing. What the zoom adds is the scaled copy and the
# encoder's work on the zoomed picture.
echo "== without the zoom"
mkdir -p "$work/whole"
XDG_CONFIG_HOME=$work/whole "$host" settings reset >/dev/null
measure "no zoom" env XDG_CONFIG_HOME="$work/whole" "$host" render "$work/in.mp4" -o "$work/whole.mp4"
echo "morvatelle without the zoom / transcode: wall $(ratio "$wall" "$tr_wall")  cpu $(ratio "$cpu" "$tr_cpu")"
echo "the zoom adds $(echo "scale=1; ($mt_cpu - $cpu) * 1000 / $frames" | bc) ms cpu a frame"
rm -f "$work/whole.mp4"

echo "== peak memory against clip length"
repeat=1
measure "render 10s" "$host" render "$work/in.mp4" -o "$work/m10.mp4" --frames 300
p10=$peak
clip long.mp4 1920x1080 60
measure "render 60s" "$host" render "$work/long.mp4" -o "$work/m60.mp4"
p60=$peak
echo "60 s / 10 s peak: $(ratio "$p60" "$p10")  (target within 1.05)"
rm -f "$work/long.mp4" "$work/m60.mp4"

echo "== 3840x2160"
clip uhd.mp4 3840x2160 2
measure "render 4K" "$host" render "$work/uhd.mp4" -o "$work/uhd-out.mp4"
mt_peak=$peak
measure "transcode 4K" ffmpeg -nostdin -v error -y -i "$work/uhd.mp4" "${x264[@]}" "$work/uhd-plain.mp4"
tr_peak=$peak
measure "x264 alone" ffmpeg -nostdin -v error -f lavfi -i "testsrc2=size=3840x2160:rate=30:duration=2" \
  -c:v libx264 -preset veryfast -crf 18 -pix_fmt yuv420p -f null -
x_peak=$peak
measure "lavfi alone" ffmpeg -nostdin -v error -f lavfi -i "testsrc2=size=3840x2160:rate=30:duration=2" -f null -
echo "peak $((mt_peak / 1024)) MB  (target < 400); the encoder alone needs $(((x_peak - peak) / 1024)) MB,"
echo "the plain transcode peaks at $((tr_peak / 1024)) MB; morvatelle's own share $(((mt_peak - tr_peak) / 1024)) MB"
