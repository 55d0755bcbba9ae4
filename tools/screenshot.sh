#!/usr/bin/env bash
# Starts the built program on a virtual X display and saves a picture of its
# window.
#
#   tools/screenshot.sh [PROGRAM] [OUTPUT]
#
# PROGRAM defaults to build/release/TavrinConverter/bin/TavrinConverter, OUTPUT to
# docs/screenshot.png. Needs Xvfb, xdotool, ImageMagick and a Japanese font
# (fonts-ipafont-gothic). DISPLAY_NUMBER (default 99) picks the display.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/tools/virtual-display.sh"
program=${1:-$root/build/release/TavrinConverter/bin/TavrinConverter}
output=${2:-$root/docs/screenshot.png}
title='Tavrin／Tavrinplus ⇒ Tavrinplex'

[ -x "$program" ] || { echo "screenshot.sh: no program at $program" >&2; exit 1; }

work=$(mktemp -d)
trap 'end_session "$work"' EXIT
trap 'exit 130' INT TERM

export DISPLAY=:${DISPLAY_NUMBER:-99}
start_virtual_display "$work/xvfb.log"
start_program "$program" "$work"

windows=$(timeout 20 xdotool search --sync --onlyvisible --name "$title") || {
  echo "screenshot.sh: the window did not appear" >&2
  cat "$work/program.log" >&2
  exit 1
}
window=${windows%%$'\n'*}
xdotool windowmove "$window" 0 0
sleep 1  # let the window paint after the move

photograph_window "$window" "$output" "$work"
echo "$output"
