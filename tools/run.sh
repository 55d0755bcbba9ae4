#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/tools/release-build.sh"
# Off macOS the program needs a graphical session: without one Qt aborts.
if [ "$(uname -s)" != Darwin ] && [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] &&
  [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "run.sh: the program needs a graphical session, and neither DISPLAY nor WAYLAND_DISPLAY is set." >&2
  echo "On a machine without a screen, bash tools/smoke.sh drives it on a virtual display (Xvfb)" >&2
  echo "and saves a picture of it, once bash tools/install-deps.sh --desktop-tools has installed" >&2
  echo "Xvfb, xdotool and ImageMagick." >&2
  exit 1
fi
build_release TavrinConverter
[ -x "$release_program" ] || { echo "run.sh: the build left no program at $release_program" >&2; exit 1; }
exec "$release_program" "$@"
