#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/tools/install-deps.sh"
cmake -S "$root" -B "$root/build/release" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build/release"
program="$root/build/release/TavrinConverter/bin/TavrinConverter"
if [ ! -x "$program" ]; then
  echo "Everything is built, but there is no program window yet." >&2
  exit 0
fi
exec "$program" "$@"
