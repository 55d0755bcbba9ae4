#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# Off macOS the program needs a graphical session: without one Qt aborts.
if [ "$(uname -s)" != Darwin ] && [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] &&
  [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "run.sh: the program needs a graphical session, and neither DISPLAY nor WAYLAND_DISPLAY is set." >&2
  echo "On a machine without a screen, bash tools/smoke.sh drives it on a virtual display (Xvfb)" >&2
  echo "and saves a picture of it; bash tools/install-deps.sh --desktop-tools installs Xvfb." >&2
  exit 1
fi
bash "$root/tools/install-deps.sh"
cmake -S "$root" -B "$root/build/release" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build/release" --target TavrinConverter
program="$root/build/release/TavrinConverter/bin/TavrinConverter"
[ -x "$program" ] || { echo "run.sh: the build left no program at $program" >&2; exit 1; }
exec "$program" "$@"
