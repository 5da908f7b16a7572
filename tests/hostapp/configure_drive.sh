#!/usr/bin/env bash
# Drives `morvatelle configure` as a user does, on the X display it runs
# under (xvfb-run): a drag of the region's body, slider 2 moved with the
# keyboard, then Return for OK. Prints the program's exit status last.
# usage: configure_drive.sh HOST CLIP PICTURE
set -u
unset QT_QPA_PLATFORM  # the real display, not the tests' offscreen one
# Under the address sanitizer, GCC 12's leak checker misreads the dynamic TLS
# of Qt's X event thread and crashes at exit about one run in three. Without
# TLS among its roots the check can only find more, not less; glib's
# per-thread blocks, held there alone, are suppressed for this process only,
# so a leak of ours in any other test is still reported wherever it is made.
supp=$(mktemp)
trap 'rm -f "$supp"' EXIT
cat "$(dirname "$0")/../lsan.supp" > "$supp"
echo "leak:libglib-2.0.so" >> "$supp"
export LSAN_OPTIONS="${LSAN_OPTIONS:+$LSAN_OPTIONS:}use_tls=0:suppressions=$supp"
host=$1 clip=$2 picture=$3
timeout 120 "$host" configure "$clip" &
pid=$!
window=$(timeout 30 xdotool search --sync --onlyvisible --name "Morva Telle" | head -1)
[ -n "$window" ] || { kill $pid; echo "no window"; exit 1; }
sleep 0.5
# The NTSC layout: the clip control from (12, 12), 720 x 480; slider 2's
# handle at 50 % sits at (856, 154).
xdotool mousemove --window "$window" 372 252 mousedown 1 \
        mousemove --window "$window" 400 270 mousemove --window "$window" 444 300 mouseup 1
sleep 0.3
xdotool mousemove --window "$window" 856 154 click 1
for _ in $(seq 13); do xdotool key --window "$window" Left; done
sleep 0.3
ffmpeg -loglevel error -y -f x11grab -video_size 1036x544 -i "$DISPLAY" -frames:v 1 "$picture" || true
xdotool key --window "$window" Return
wait $pid
echo "status $?"
