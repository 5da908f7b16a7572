#!/usr/bin/env bash
# Renders the embedded clip with a visible zoom course and a contact sheet
# (./dev demo). The course is set in a throw-away settings folder, so your
# own settings stay as they are.
set -euo pipefail
build=$(cd "${1:?usage: tools/demo.sh BUILD_DIR}" && pwd)
out=$build/demo
mkdir -p "$out"
settings_home=$(mktemp -d)
trap 'rm -rf "$settings_home"' EXIT
export XDG_CONFIG_HOME=$settings_home

host=$build/bin/morvatelle
# The upper right quarter: zoom in over the first 30 % of the clip, out over the last 30 %.
"$host" settings set --region 0.5,0.95,0.05,0.5 --zoom-in 60 --zoom-out 60 >/dev/null
"$host" render -o "$out/demo.mp4" --fade-in 15 --fade-out 15 --contact-sheet "$out/demo-sheet.png"

echo "video:         $out/demo.mp4"
echo "contact sheet: $out/demo-sheet.png"
