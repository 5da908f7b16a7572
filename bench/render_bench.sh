#!/usr/bin/env bash
# Clip rendering against plain ffmpeg: morvatelle render with the region
# (0.25, 0.75, 0.25, 0.75) and default sliders, a plain transcode, and
# ffmpeg's zoompan following the same course, all with libx264 veryfast
# CRF 18 and AAC. Reports wall time, CPU time and peak memory, and their
# ratios; then where the time goes (decoding, and the encoder alone on each
# program's frames, which differ in how hard they are to encode); then peak
# memory for a 10 s and a 60 s clip, and for 3840x2160 beside what the
# encoder alone needs there.
#   bench/render_bench.sh BUILD_DIR [SECONDS]
set -euo pipefail
build=$(cd "${1:?usage: bench/render_bench.sh BUILD_DIR [SECONDS]}" && pwd)
seconds=${2:-10}
host=$build/bin/morvatelle
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config
mkdir -p "$XDG_CONFIG_HOME"
"$host" settings set --region 0.25,0.75,0.25,0.75 >/dev/null

# clip NAME SIZE SECONDS: a 30 fps H.264 + AAC test clip.
clip() {
  ffmpeg -nostdin -v error -y -f lavfi -i "testsrc2=size=$2:rate=30:duration=$3" \
    -f lavfi -i "sine=frequency=440:sample_rate=48000:duration=$3" \
    -c:v libx264 -preset veryfast -crf 18 -pix_fmt yuv420p -c:a aac -ac 2 "$work/$1"
}

# measure LABEL CMD...: prints "LABEL wall cpu peakKB" and keeps them in $wall $cpu $peak.
measure() {
  local label=$1; shift
  /usr/bin/time -f '%e %U %S %M' -o "$work/time" "$@" >/dev/null 2>"$work/err" || {
    echo "$label failed:"; cat "$work/err"; exit 1; }
  read -r wall user sys peak <"$work/time"
  cpu=$(echo "$user + $sys" | bc)
  printf '%-16s wall %6.2f s  cpu %6.2f s  peak %7.1f MB\n' "$label" "$wall" "$cpu" "$(echo "$peak / 1024" | bc -l)"
}

ratio() { echo "scale=3; $1 / $2" | bc; }

x264=(-c:v libx264 -preset veryfast -crf 18 -pix_fmt yuv420p -c:a aac)
clip in.mp4 1920x1080 "$seconds"
frames=$(ffprobe -v error -select_streams v:0 -count_packets -show_entries stream=nb_read_packets -of csv=p=0 "$work/in.mp4")

# The course for zoompan: defaults zoom in over the first 5 % of the frames and
# out over the last 25 %, to half size about the centre.
in=$((frames * 10 / 200)); out=$((frames * 50 / 200))
z="if(lt(on,$in),1+on/$in,if(gt(on,$frames-$out),1+($frames-on)/$out,2))"
zoompan="zoompan=z='$z':x='iw/2-iw/zoom/2':y='ih/2-ih/zoom/2':d=1:s=1920x1080:fps=30"

echo "== $seconds s of 1920x1080 at 30 fps ($frames frames)"
measure morvatelle "$host" render "$work/in.mp4" -o "$work/mt.mp4" --crf 18
mt_wall=$wall mt_cpu=$cpu
measure transcode ffmpeg -nostdin -v error -y -i "$work/in.mp4" "${x264[@]}" "$work/plain.mp4"
tr_wall=$wall tr_cpu=$cpu
measure zoompan ffmpeg -nostdin -v error -y -i "$work/in.mp4" -vf "$zoompan" "${x264[@]}" "$work/zp.mp4"
zp_wall=$wall zp_cpu=$cpu
echo "morvatelle / transcode: wall $(ratio "$mt_wall" "$tr_wall")  cpu $(ratio "$mt_cpu" "$tr_cpu")  (target <= 1.15)"
echo "morvatelle / zoompan:   wall $(ratio "$mt_wall" "$zp_wall")  cpu $(ratio "$mt_cpu" "$zp_cpu")  (target < 1)"

# encoder LABEL PRODUCER...: the libx264 encoder alone on the 1080p frames the
# producer writes as raw yuv420p. The frames go to a file first, so nothing
# else runs while the encoder is timed.
encoder() {
  local label=$1; shift
  "$@" -f rawvideo -pix_fmt yuv420p "$work/frames.yuv"
  measure "$label" ffmpeg -nostdin -v error -f rawvideo -pix_fmt yuv420p -s 1920x1080 -r 30 \
    -i "$work/frames.yuv" -c:v libx264 -preset veryfast -crf 18 -f null -
  rm -f "$work/frames.yuv"
}

echo "== where the time goes"
measure decoding ffmpeg -nostdin -v error -i "$work/in.mp4" -map 0:v -f null -
dec_cpu=$cpu
"$host" render "$work/in.mp4" -o "$work/mt.mkv" >/dev/null
encoder "x264 on source" ffmpeg -nostdin -v error -i "$work/in.mp4"
es_cpu=$cpu
encoder "x264 on ours" ffmpeg -nostdin -v error -i "$work/mt.mkv"
em_cpu=$cpu
encoder "x264 on zoompan" ffmpeg -nostdin -v error -i "$work/in.mp4" -vf "$zoompan"
ez_cpu=$cpu
rm -f "$work/mt.mkv"
echo "encoder cost of the frames, against the source's: ours $(ratio "$em_cpu" "$es_cpu")  zoompan's $(ratio "$ez_cpu" "$es_cpu")"
floor=$(echo "$dec_cpu + $em_cpu" | bc)
echo "decoding + encoding our frames / transcode cpu: $(ratio "$floor" "$tr_cpu")  (no host can do better)"
echo "morvatelle's own work: $(echo "scale=2; ($mt_cpu - $floor) * 1000 / $frames" | bc) ms cpu a frame"

echo "== peak memory against clip length"
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
