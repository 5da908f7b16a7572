#!/usr/bin/env bash
# Screenshots of the effect in the editors as a user meets it, under Xvfb:
# Shotcut's panel on a clip with the effect and a new filter found by
# "zoom", Kdenlive's effect list and Pitivi's effect library searched for
# "zoom".
# It installs the package (./dev package first) and Kdenlive, Shotcut and
# Pitivi from Debian, so it is run by hand (as root), not by the tests.
# The clicks are at places in a 1600x1000 screen, for the editors' Debian
# versions (Shotcut 22.12, Kdenlive 22.12, Pitivi 2022.06).
# usage: tools/editor_screens.sh [OUTPUT_DIR]   (default: editor-screens/)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$(realpath -m "${1:-editor-screens}")
deb=$(ls "$root"/morvatelle_*_"$(dpkg --print-architecture)".deb 2>/dev/null | tail -1)
[ -n "$deb" ] || { echo "no package: run ./dev package first" >&2; exit 1; }
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$deb" kdenlive shotcut pitivi xvfb xdotool ffmpeg >/dev/null
mkdir -p "$out"
work=$(mktemp -d)
export DISPLAY=:73 HOME=$work XDG_CONFIG_HOME=$work/config
Xvfb $DISPLAY -screen 0 1600x1000x24 >/dev/null 2>&1 &
xvfb=$!
editor=
# Each editor in a process group of its own, ended as a whole: no other session's.
start() { setsid "$@" & editor=$!; }
stop() { if [ -n "$editor" ]; then kill -9 -- "-$editor" 2>/dev/null || true; wait "$editor" 2>/dev/null || true; fi; editor=; }
trap 'stop; kill $xvfb; rm -rf "$work"' EXIT
sleep 1
shot() { ffmpeg -v error -y -f x11grab -video_size 1600x1000 -i $DISPLAY -frames:v 1 "$out/$1.png"; echo "$out/$1.png"; }
click() { xdotool mousemove "$1" "$2" click 1; sleep "${3:-2}"; }

ffmpeg -v error -y -f lavfi -i testsrc2=size=1280x720:rate=25:duration=8 -c:v libx264 -pix_fmt yuv420p "$work/clip.mp4"
# A clip with the effect, as Shotcut saves it.
cat > "$work/clip.mlt" <<MLT
<?xml version="1.0" encoding="utf-8"?>
<mlt LC_NUMERIC="C">
  <profile width="1280" height="720" progressive="1" sample_aspect_num="1" sample_aspect_den="1"
           display_aspect_num="16" display_aspect_den="9" frame_rate_num="25" frame_rate_den="1" colorspace="709"/>
  <chain id="chain0" out="199">
    <property name="resource">$work/clip.mp4</property>
    <filter id="filter0" in="0" out="199">
      <property name="mlt_service">morvatelle</property>
      <property name="shotcut:filter">morvatelleZoom</property>
      <property name="left">0.25</property><property name="right">0.75</property>
      <property name="top">0.25</property><property name="bottom">0.75</property>
      <property name="zoom-in">0.3</property><property name="zoom-out">0.3</property>
      <property name="smooth">1</property>
    </filter>
  </chain>
</mlt>
MLT

start shotcut "$work/clip.mlt" > "$out/shotcut.log" 2>&1
sleep 15
click 103 396      # the Filters tab
click 103 165 3    # the clip's filter: its panel
shot shotcut-panel
click 21 367       # add a filter
xdotool type --delay 80 zoom; sleep 2
shot shotcut-search
click 115 206 4    # the first found: a new filter's panel
shot shotcut-new
stop

start dbus-run-session kdenlive > "$out/kdenlive.log" 2>&1
sleep 25
click 195 466 3    # the Effects tab
click 207 77 1     # its search
xdotool type --delay 80 zoom; sleep 3
shot kdenlive-search
stop

start dbus-run-session pitivi > "$out/pitivi.log" 2>&1
sleep 25
click 36 21 6      # New
xdotool windowsize "$(xdotool search --name Pitivi | tail -1)" 1500 950; sleep 3
click 195 74       # the Effect Library
click 215 113 1    # its search
xdotool type --delay 80 zoom; sleep 3
shot pitivi-search
stop
grep -hi "unknown type\|morva.*\(error\|warn\)" "$out"/*.log || echo "no warnings about the effect"
