# Sourced by the scripts that drive the program on a virtual X display.
# Needs Xvfb, xdotool, ImageMagick and a Japanese font (fonts-ipafont-gothic).

xvfb_pid= program_pid=

# Fails, naming each of the given commands that is missing and the command
# that installs them; the scripts check before they build anything.
need_desktop_tools() {  # script name, command...
  local script=$1 tool missing=
  shift
  for tool in "$@"; do
    command -v "$tool" >/dev/null && continue
    case $tool in import | convert) tool="ImageMagick's $tool" ;; esac
    missing+=${missing:+, }$tool
  done
  [ -z "$missing" ] && return 0
  echo "$script: missing $missing; run bash tools/install-deps.sh --desktop-tools (as root) first." >&2
  return 1
}

# The file a picture goes to when the caller named none: docs/NAME in the
# source tree ($root) when asked for, else NAME in a new folder under
# ${TMPDIR:-/tmp}, so that a run leaves the tree as it was.
default_picture() {  # into docs (1 or 0), name
  if [ "$1" = 1 ]; then
    echo "$root/docs/$2"
  else
    echo "$(mktemp -d "${TMPDIR:-/tmp}/tavrin-pictures.XXXXXX")/$2"
  fi
}

# Stops the program and Xvfb and removes the given work folder; the callers
# install it as their exit trap.
end_session() {  # work folder
  [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$1"
}

# Starts Xvfb on DISPLAY (exported by the caller), logging to $1, and waits
# until it answers. Sets xvfb_pid for the caller's clean-up.
start_virtual_display() {  # log file
  Xvfb "$DISPLAY" -screen 0 1024x768x24 -nolisten tcp >"$1" 2>&1 &
  xvfb_pid=$!
  local tries=0
  until xdotool getdisplaygeometry >/dev/null 2>&1; do
    tries=$((tries + 1))
    if [ "$tries" -ge 50 ]; then
      echo "Xvfb did not start on $DISPLAY:" >&2
      tail -n 5 "$1" >&2
      return 1
    fi
    sleep 0.1
  done
}

# Starts the program with private settings and runtime folders under $2, so
# that no legacy preference file of the user's changes what it shows. Sets
# program_pid.
start_program() {  # program, work folder
  mkdir -p -m 700 "$2/runtime"
  XDG_CONFIG_HOME="$2/config" XDG_RUNTIME_DIR="$2/runtime" QT_QPA_PLATFORM=xcb \
    LANG=C.UTF-8 "$1" >"$2/program.log" 2>&1 &
  program_pid=$!
}

# Saves a picture of one window as it shows on the display: the whole screen,
# cropped to the window.
photograph_window() {  # window id, output file, work folder
  local WINDOW X Y WIDTH HEIGHT SCREEN
  eval "$(xdotool getwindowgeometry --shell "$1")"
  mkdir -p "$(dirname "$2")"
  import -display "$DISPLAY" -window root "$3/root.png" &&
    convert "$3/root.png" -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$2"
}
