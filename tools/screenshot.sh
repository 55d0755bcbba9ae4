#!/usr/bin/env bash
# Starts the program on a virtual X display and saves a picture of its
# window.
#
#   tools/screenshot.sh [--docs] [PROGRAM] [OUTPUT]
#
# Without PROGRAM it builds build/release/TavrinConverter/bin/TavrinConverter
# first, as tools/run.sh does. The picture goes to OUTPUT, else to a new
# folder under ${TMPDIR:-/tmp}; --docs replaces docs/screenshot.png, the
# README's picture. It prints where. Needs Xvfb, xdotool and ImageMagick
# (bash tools/install-deps.sh --desktop-tools). DISPLAY_NUMBER (default 99)
# picks the display.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/tools/virtual-display.sh"
. "$root/tools/release-build.sh"
docs=0
[ "${1:-}" = --docs ] && { docs=1; shift; }
program=${1:-}
output=${2:-}
title='Tavrin／Tavrinplus ⇒ Tavrinplex'

need_desktop_tools screenshot.sh Xvfb xdotool import convert || exit 1
if [ -z "$program" ]; then
  build_release TavrinConverter
  program=$release_program
fi
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

output=${output:-$(default_picture "$docs" screenshot.png)}
photograph_window "$window" "$output" "$work"
echo "picture: $output"
