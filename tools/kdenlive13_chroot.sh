#!/usr/bin/env bash
# A Debian 13 chroot with the newest Kdenlive in Debian (24.12, on MLT 7.30),
# made with debootstrap from the archive this machine's apt already uses,
# and the package's effect files put into it: the MLT service and its
# metadata, the frei0r filter, the platform library they stand on, and the
# Kdenlive descriptions. The host program needs Debian 12's FFmpeg and Qt
# and stays out. Run by hand as root (./dev package first), not by the tests.
# usage: tools/kdenlive13_chroot.sh [DIR]          (default: /var/tmp/kdenlive13)
#        tools/kdenlive13_chroot.sh DIR run CMD... (CMD inside, with /tmp and the X sockets shared)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=$(realpath -m "${1:-/var/tmp/kdenlive13}")

# run CMD...: inside the chroot, with the system's file systems and this
# machine's /tmp (so an X server here and files made here are seen there),
# bound for the command alone: removing the chroot afterwards must not reach
# this machine's /tmp or /dev.
mounts=(proc sys dev dev/pts tmp)
unmount() {
  local i
  for ((i = ${#mounts[@]} - 1; i >= 0; i--)); do
    mountpoint -q "$dir/${mounts[i]}" && umount -l "$dir/${mounts[i]}"
  done
  return 0
}
run() {
  for m in "${mounts[@]}"; do
    mountpoint -q "$dir/$m" || mount --bind "/$m" "$dir/$m"
  done
  chroot "$dir" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 \
    ${DISPLAY:+DISPLAY=$DISPLAY} "$@"
}
trap unmount EXIT
if [ "${2:-}" = run ]; then shift 2; run "$@"; exit; fi

deb=$(ls "$root"/morvatelle_*.deb 2>/dev/null | tail -1)
[ -n "$deb" ] || { echo "no package: run ./dev package first" >&2; exit 1; }
if [ ! -x "$dir/usr/bin/kdenlive" ]; then
  mirror=$(cat /etc/apt/sources.list /etc/apt/sources.list.d/* 2>/dev/null |
           grep -oE 'https?://[^ ]+/debian( |/?$)' | head -1 | tr -d ' ' || true)
  [ -n "$mirror" ] || { echo "no Debian archive in this machine's apt sources" >&2; exit 1; }
  command -v debootstrap >/dev/null || DEBIAN_FRONTEND=noninteractive apt-get install -y -qq debootstrap >/dev/null
  [ -e "$dir/etc/debian_version" ] || debootstrap --variant=minbase trixie "$dir" "$mirror"
  run env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
    kdenlive frei0r-plugins dbus xvfb xdotool ffmpeg melt breeze-icon-theme >/dev/null
fi

# The package's effect files, as the package lays them out.
unpacked=$(mktemp -d)
trap 'unmount; rm -rf "$unpacked"' EXIT
dpkg-deb -x "$deb" "$unpacked"
cd "$unpacked"
for f in usr/lib/frei0r-1 usr/lib/morvatelle/libmvplatform.so* usr/share/mlt-7 usr/share/kdenlive \
         usr/lib/*/mlt-7/libmltmorvatelle.so; do
  [ -e "$f" ] && cp -a --parents $f "$dir/"
done
echo "Kdenlive $(run dpkg-query -W -f='${Version}' kdenlive), MLT $(run dpkg-query -W -f='${Version}' libmlt7) in $dir"
echo "try it: Xvfb :74 & DISPLAY=:74 $0 $dir run dbus-run-session kdenlive"
