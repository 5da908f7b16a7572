#!/usr/bin/env bash
# Memory over a long render: 10,000 frames (a 320x240, 30 fps H.264 + AAC
# clip of 5 min 33 s) rendered in one run with the course (0.25, 0.75, 0.25,
# 0.75), fades and the overlay, resident memory sampled every half second.
# Flat means the last tenth of the run peaks no higher than the first
# tenth after start-up (within 2 %). The output is Matroska: an MP4 muxer
# keeps its whole sample index in memory until the end (plain ffmpeg grows
# the same way), which would hide what the render itself does.
#   bench/soak_bench.sh BUILD_DIR [FRAMES]
set -euo pipefail
build=$(cd "${1:?usage: bench/soak_bench.sh BUILD_DIR [FRAMES]}" && pwd)
frames=${2:-10000}
host=$build/bin/morvatelle
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config
mkdir -p "$XDG_CONFIG_HOME"
"$host" settings set --region 0.25,0.75,0.25,0.75 --overlay 30 >/dev/null

seconds=$(awk -v f="$frames" 'BEGIN { printf "%.4f", f / 30 }')
ffmpeg -nostdin -v error -y -f lavfi -i "testsrc2=size=320x240:rate=30:duration=$seconds" \
  -f lavfi -i "sine=frequency=440:sample_rate=48000:duration=$seconds" \
  -c:v libx264 -preset ultrafast -pix_fmt yuv420p -c:a aac -ac 2 "$work/long.mp4"

"$host" render "$work/long.mp4" -o "$work/out.mkv" --fade-in 30 --fade-out 30 </dev/null &
pid=$!
: >"$work/rss"
while kill -0 "$pid" 2>/dev/null; do
  awk '/^VmRSS/ { print $2 }' "/proc/$pid/status" 2>/dev/null >>"$work/rss" || true
  sleep 0.5
done
wait "$pid"
rendered=$(ffprobe -v error -count_packets -select_streams v -show_entries stream=nb_read_packets -of csv=p=0 "$work/out.mkv")
awk -v frames="$rendered" '
  { rss[NR] = $1 }
  END {
    n = NR; tenth = int(n / 10); if (tenth < 1) tenth = 1
    for (i = 1; i <= n; i++) if (rss[i] > peak) peak = rss[i]
    for (i = tenth + 1; i <= 2 * tenth; i++) if (rss[i] > early) early = rss[i]
    for (i = n - tenth + 1; i <= n; i++) if (rss[i] > late) late = rss[i]
    printf "frames rendered        %d\n", frames
    printf "samples                %d\n", n
    printf "peak resident          %.1f MB\n", peak / 1024
    printf "early tenth peak       %.1f MB\n", early / 1024
    printf "last tenth peak        %.1f MB\n", late / 1024
    printf "last / early           %.3f (%s)\n", late / early, late <= early * 1.02 ? "flat" : "GROWS"
  }' "$work/rss"
