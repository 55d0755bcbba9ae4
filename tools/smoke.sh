#!/usr/bin/env bash
# A smoke run of the program, driven from the keyboard and the mouse on a
# virtual X display: scan a folder of generated documents (Ctrl+Shift+O,
# the path typed into Qt's folder dialog), select every row, convert them
# beside their sources, photograph the completion message, quit with Ctrl+W,
# and check that every package was written.
#
#   tools/smoke.sh [--docs] [PROGRAM] [OUTPUT]
#
# Without PROGRAM it builds build/release/TavrinConverter/bin/TavrinConverter
# first, as tools/run.sh does. The documents come from bench/make_document,
# the tests' document builder, built in build/release as well. The picture
# goes to OUTPUT, else to a new folder under ${TMPDIR:-/tmp}; --docs replaces
# docs/smoke-completion.png, the README's picture. It prints where. Needs
# Xvfb, xdotool and ImageMagick (bash tools/install-deps.sh --desktop-tools).
# DISPLAY_NUMBER (default 98) picks the virtual display. To watch the run,
# give WATCH=1: the program then runs on the current DISPLAY, with a pause of
# SMOKE_PAUSE seconds (default 1) between the steps.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/tools/virtual-display.sh"
. "$root/tools/release-build.sh"
docs=0
[ "${1:-}" = --docs ] && { docs=1; shift; }
program=${1:-}
output=${2:-}
watch=${WATCH:-0}
pause=${SMOKE_PAUSE:-$([ "$watch" = 1 ] && echo 1 || echo 0.3)}
maker=$release_dir/bench/make_document

tools=()
[ "$watch" = 1 ] || tools+=(Xvfb)
need_desktop_tools smoke.sh "${tools[@]}" xdotool import convert || exit 1
if [ -z "$program" ]; then
  build_release TavrinConverter make_document
  program=$release_program
else
  build_release make_document
fi
[ -x "$program" ] || { echo "smoke.sh: no program at $program" >&2; exit 1; }

work=$(mktemp -d)
trap 'end_session "$work"' EXIT
trap 'exit 130' INT TERM

fail() {
  echo "smoke.sh: $*" >&2
  [ -f "$work/program.log" ] && cat "$work/program.log" >&2
  exit 1
}

step() {
  echo "-- $*"
  sleep "$pause"
}

# The window of the program that is not `except`, once one shows.
wait_for_window() {  # except
  local tries=0 id
  while [ "$tries" -lt 100 ]; do
    for id in $(xdotool search --onlyvisible --pid "$program_pid" 2>/dev/null); do
      [ "$id" != "$1" ] && { echo "$id"; return 0; }
    done
    tries=$((tries + 1))
    sleep 0.1
  done
  return 1
}

# Documents at three depths, with Japanese names.
documents="$work/書類"
mkdir -p "$documents/顧客/2024"
"$maker" "$documents/会議室の予約.tvr" meeting
"$maker" "$documents/顧客/顧客一覧.tvr" customers --multi
"$maker" "$documents/顧客/2024/在庫.tvr" stock

if [ "$watch" != 1 ]; then
  export DISPLAY=:${DISPLAY_NUMBER:-98}
  start_virtual_display "$work/xvfb.log" || fail "Xvfb did not start"
fi

start_program "$program" "$work"

step "start the program"
window=$(wait_for_window none) || fail "the window did not appear"
xdotool windowmove "$window" 0 0
xdotool windowfocus --sync "$window"

step "scan: Ctrl+Shift+O, then the folder's path and Enter"
xdotool key --clearmodifiers ctrl+shift+o
dialog=$(wait_for_window "$window") || fail "no folder dialog"
sleep "$pause"
xdotool type --delay 40 "$documents"
sleep "$pause"
xdotool key Return
tries=0
while [ "$(xdotool search --onlyvisible --pid "$program_pid" | wc -l)" -gt 1 ]; do
  tries=$((tries + 1))
  [ "$tries" -lt 100 ] || fail "the folder dialog did not close"
  sleep 0.1
done

step "select every row: a click into the list, then Ctrl+A"
xdotool mousemove --window "$window" 300 250 click 1
xdotool key --clearmodifiers ctrl+a

# The toolbar's second button, "同一場所に変換", as laid out on this display
# (the IPA Gothic font): if it moved, no package appears and the run fails.
step "convert beside the sources: 同一場所に変換"
xdotool mousemove --window "$window" 130 52 click 1
message=$(wait_for_window "$window") || fail "no completion message"
sleep 1  # let the message paint

output=${output:-$(default_picture "$docs" smoke-completion.png)}
photograph_window "$window" "$output" "$work" || fail "no picture of the window"
echo "picture: $output"

step "close the message, quit with Ctrl+W"
xdotool windowfocus --sync "$message"
xdotool key Return
xdotool windowfocus --sync "$window"
xdotool key --clearmodifiers ctrl+w
for _ in $(seq 50); do
  kill -0 "$program_pid" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$program_pid" 2>/dev/null && fail "the program did not quit"
wait "$program_pid" || fail "the program ended with status $?"
program_pid=

status=0
for pair in "会議室の予約.tvr meeting" "顧客/顧客一覧.tvr customers" "顧客/2024/在庫.tvr stock"; do
  package="$documents/${pair% *}.tvrmd"
  for file in pref csv colAttr window; do
    [ -f "$package/$file" ] || { echo "missing: $package/$file" >&2; status=1; }
  done
  [ "$(cat "$package/csv" 2>/dev/null)" = "${pair##* },y" ] || { echo "wrong csv in $package" >&2; status=1; }
done
[ "$status" = 0 ] && echo "smoke run passed: 3 documents scanned and converted" || fail "packages missing"
