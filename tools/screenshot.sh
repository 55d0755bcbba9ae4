#!/bin/sh
# Starts the built program on a virtual X display and saves a picture of its
# window.
#
#   tools/screenshot.sh [PROGRAM] [OUTPUT]
#
# PROGRAM defaults to build/release/TavrinConverter/bin/TavrinConverter, OUTPUT to
# docs/screenshot.png. Needs Xvfb, xdotool, ImageMagick and a Japanese font
# (fonts-ipafont-gothic). DISPLAY_NUMBER (default 99) picks the display.
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
program=${1:-$root/build/release/TavrinConverter/bin/TavrinConverter}
output=${2:-$root/docs/screenshot.png}
display=:${DISPLAY_NUMBER:-99}
title='Tavrin／Tavrinplus ⇒ Tavrinplex'

[ -x "$program" ] || { echo "screenshot.sh: no program at $program" >&2; exit 1; }

work=$(mktemp -d)
xvfb_pid= program_pid=
cleanup() {
  [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT INT TERM

Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
export DISPLAY="$display"
# Wait until the display answers.
tries=0
until xdotool getdisplaygeometry >/dev/null 2>&1; do
  tries=$((tries + 1))
  [ "$tries" -lt 50 ] || { echo "screenshot.sh: Xvfb did not start" >&2; exit 1; }
  sleep 0.1
done

# A private settings folder, so that no legacy preference file of the user's
# changes the picture; Qt wants its runtime folder private too.
mkdir -m 700 "$work/runtime"
XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM=xcb \
  "$program" >"$work/program.log" 2>&1 &
program_pid=$!

window=$(timeout 20 xdotool search --sync --name "$title" | head -n 1) || {
  echo "screenshot.sh: the window did not appear" >&2
  cat "$work/program.log" >&2
  exit 1
}
xdotool windowmove "$window" 0 0
sleep 1  # let the window paint after the move

mkdir -p "$(dirname "$output")"
eval "$(xdotool getwindowgeometry --shell "$window")"
import -display "$display" -window root "$work/root.png"
/usr/bin/convert "$work/root.png" -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$output"
echo "$output"
