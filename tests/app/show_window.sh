#!/usr/bin/env bash
# Starts the real kelvo on the current X display, waits for its main window, grabs it into a
# PNG and checks its size; then closes the program. Run under xvfb-run:
#   show_window.sh KELVO GRAB_WINDOW OUT.png
set -euo pipefail
kelvo=$1 grab=$2 out=$3
title='齿轮滚齿仿真分析及三维造型 (For Autocad2000)'
# xwininfo shows a Chinese title only in a UTF-8 locale; in the C locale of a bare machine it
# prints a conversion failure instead.
xwininfo() { LC_ALL=C.UTF-8 command xwininfo "$@"; }

"$kelvo" &
pid=$!
trap 'kill "$pid" 2>/dev/null || true' EXIT

window=
for _ in $(seq 100); do
  window=$(xwininfo -root -tree | awk -v t="\"$title\":" 'index($0, t) { print $1; exit }')
  [ -n "$window" ] && break
  kill -0 "$pid" 2>/dev/null || { echo "kelvo ended before showing its window" >&2; exit 1; }
  sleep 0.1
done
[ -n "$window" ] || { echo "no window titled '$title'" >&2; exit 1; }
sleep 0.5  # let the first paint land

size=$(xwininfo -id "$window" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }')
grabbed=$("$grab" "$window" "$out")
echo "window $window: client area $size, grabbed $grabbed into $out"
[ "$size" = 529x373 ] || { echo "client area is $size, not 529x373" >&2; exit 1; }
[ "$grabbed" = 529x373 ] || { echo "grabbed picture is $grabbed" >&2; exit 1; }
