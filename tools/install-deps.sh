#!/usr/bin/env bash
# Installs the Debian packages the project needs, once: a package already
# installed is skipped, and apt is not touched when nothing is missing.
#
#   tools/install-deps.sh [--desktop-tools]
#
# A freshly started Debian runs its automatic updates for a while, and they
# hold the package manager's locks: this waits for them, up to
# TAVR_LOCK_WAIT seconds (default 300), before it gives up.
set -euo pipefail

packages=(
  qt6-base-dev qt6-translations-l10n
  libicu-dev icu-devtools
  cmake ninja-build g++
  clang-14 libclang-rt-14-dev
  googletest libgtest-dev libgmock-dev
  fonts-ipafont-gothic
)
# Extra tools some commands need: the screenshot/smoke run and the benches.
if [ "${1:-}" = "--desktop-tools" ]; then
  packages+=(xvfb xauth xdotool imagemagick time)
fi
lock_wait=${TAVR_LOCK_WAIT:-300}
# apt-get waits for the first two itself when told to; the lists and the
# download cache it only tries once.
locks=(/var/lib/dpkg/lock-frontend /var/lib/dpkg/lock /var/lib/apt/lists/lock /var/cache/apt/archives/lock)

# "NAME (process PID) holds LOCK" for the first lock another process holds;
# nothing when all are free. apt and dpkg lock with fcntl, which /proc/locks
# lists as POSIX locks by device and inode.
lock_holder() {
  local lock major minor inode pid
  for lock in "${locks[@]}"; do
    [ -e "$lock" ] || continue
    read -r major minor inode < <(stat -c '%Hd %Ld %i' "$lock")
    pid=$(awk -v id="$(printf '%02x:%02x:%s' "$major" "$minor" "$inode")" \
      '$2 == "POSIX" && $6 == id { print $5; exit }' /proc/locks)
    if [ -n "$pid" ]; then
      echo "$(cat "/proc/$pid/comm" 2>/dev/null || echo unknown) (process $pid) holds $lock"
      return
    fi
  done
}

told=
# Returns once no other process holds a lock of the package manager, or fails
# after lock_wait seconds.
wait_for_package_manager() {
  local start=$SECONDS holder
  while holder=$(lock_holder) && [ -n "$holder" ]; do
    if [ $((SECONDS - start)) -ge "$lock_wait" ]; then
      echo "install-deps.sh: after ${lock_wait} s, $holder still; run this again once it has" \
        "finished." >&2
      return 1
    fi
    if [ -z "$told" ]; then
      echo "install-deps.sh: $holder (after a fresh start, the automatic updates run" \
        "for a while); waiting up to ${lock_wait} s for it to finish."
      told=1
    fi
    sleep 2
  done
}

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi
if [ "$(id -u)" -ne 0 ]; then
  echo "Missing packages: ${missing[*]}; run this as root (or install them with sudo)." >&2
  exit 1
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
wait_for_package_manager
apt-get update -qq
wait_for_package_manager
apt-get install -y -qq --no-install-recommends -o DPkg::Lock::Timeout="$lock_wait" "${missing[@]}"
