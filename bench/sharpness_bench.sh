#!/usr/bin/env bash
# How sharp the held zoom is, on photographs from Debian's
# plasma-workspace-wallpapers (install it first): each 2560x1600
# photo brought down by area averaging to a 1280x800 source, then its region
# (0.25-0.75 of each side: 2x; 0.2-0.8: 1.67x) zoomed back to 1280x800 by the
# frei0r filter, exact and smooth, and by ffmpeg's crop and scale (bicubic,
# lanczos). The ideal is the photo's own crop of the region brought down by
# area averaging; PSNR over R, G and B against it, in dB (higher is closer).
#   bench/sharpness_bench.sh BUILD_DIR
set -euo pipefail
build=$(cd "${1:?usage: bench/sharpness_bench.sh BUILD_DIR}" && pwd)
photos=/usr/share/wallpapers
[ -d "$photos/Autumn" ] ||
  { echo "no photographs in $photos: apt-get install plasma-workspace-wallpapers" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export FREI0R_PATH=$build/frei0r-1

psnr() {
  ffmpeg -nostdin -v info -i "$1" -i "$2" -lavfi "[0]format=gbrp[a];[1]format=gbrp[b];[a][b]psnr" -f null - 2>&1 |
    sed -n 's/.*average:\([0-9.inf]*\).*/\1/p'
}
row() { printf '%-24s' "$1"; shift; printf ' %7s' "$@"; echo; }

row "" Autumn BytheWater ColorfulCups FallenLeaf Path
for zoom in 2x 1.67x; do
  case $zoom in
    2x) edges="0.25|0.75|0.25|0.75" crop=640:400:320:200 ideal=1280:800:640:400 ;;
    1.67x) edges="0.2|0.8|0.2|0.8" crop=768:480:256:160 ideal=1536:960:512:320 ;;
  esac
  declare -A results=()
  for photo in Autumn BytheWater ColorfulCups FallenLeaf Path; do
    original=$photos/$photo/contents/images/2560x1600.jpg
    ffmpeg -nostdin -v error -y -i "$original" -vf scale=1280:800:flags=area,format=rgb24 "$work/source.png"
    ffmpeg -nostdin -v error -y -i "$original" -vf "crop=$ideal,scale=1280:800:flags=area,format=rgb24" "$work/ideal.png"
    for way in exact smooth bicubic lanczos; do
      case $way in
        exact | smooth) [ $way = smooth ] && s=y || s=n
          filter="format=rgba,frei0r=filter_name=morvatelle:filter_params=$edges|0.1|0.5|0|0|25e-3|0.001|$s|n" ;;
        *) filter="crop=$crop,scale=1280:800:flags=$way+accurate_rnd+full_chroma_int" ;;
      esac
      ffmpeg -nostdin -v error -y -i "$work/source.png" -vf "$filter,format=rgb24" "$work/$way.png"
      results[$way]+=" $(psnr "$work/$way.png" "$work/ideal.png")"
    done
  done
  for way in exact smooth bicubic lanczos; do
    # shellcheck disable=SC2086
    row "$zoom $way" ${results[$way]}
  done
done
