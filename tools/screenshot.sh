#!/usr/bin/env bash
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
. "$root/tools/virtual-display.sh"
program=${1:-$root/build/release/TavrinConverter/bin/TavrinConverter}
output=${2:-$root/docs/screenshot.png}
display=:${DISPLAY_NUMBER:-99}
title='Tavrin／Tavrinplus ⇒ Tavrinplex'

[ -x "$program" ] || { echo "screenshot.sh: no program at $program" >&2; exit 1; }

work=$(mktemp -d)
trap end_session EXIT INT TERM

export DISPLAY="$display"
start_virtual_display "$work/xvfb.log"
start_program "$program" "$work"

window=$(timeout 20 xdotool search --sync --onlyvisible --name "$title" | head -n 1) || {
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
