#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/tools/install-deps.sh"
cmake -S "$root" -B "$root/build/release" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build/release" --target TavrinConverter
program="$root/build/release/TavrinConverter/bin/TavrinConverter"
[ -x "$program" ] || { echo "run.sh: the build left no program at $program" >&2; exit 1; }
exec "$program" "$@"
