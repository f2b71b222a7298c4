# Shared by the project's shell scripts (sourced, not run): the locale Wine needs, building, one
# display for a whole run, and the folder dialog found, photographed and answered via xdotool.

# Wine names files in the Unix locale's encoding; folder names beyond ASCII need a UTF-8 one.
export LC_ALL=C.UTF-8
# No prefix waits on the Mono or Gecko installers, and no Wine server start pays for menu entries and
# file associations written into the user's home.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

# Installs what is missing and builds the given targets (all when none) in BUILD.
build_tree() {  # BUILD [TARGET...]
  local build=$1
  shift
  scripts/install-deps.sh
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
  if [ $# -gt 0 ]; then
    cmake --build "$build" -j2 --target "$@" >/dev/null
  else
    cmake --build "$build" -j2
  fi
}

# Runs the calling script again on a display, once: a virtual one (DIRPICK_VIRTUAL=1) when none
# is set. A Wine server left from another display could not create windows on this one, so it
# goes first. Call as: enter_display BUILD "$0" "$@"; the second run has DIRPICK_INNER=1.
enter_display() {  # BUILD SCRIPT [ARG...]
  local build=$1
  shift
  WINEPREFIX="$(cd "$build" && pwd)/wineprefix" wineserver -k 2>/dev/null || true
  if [ -z "${DISPLAY:-}" ]; then
    DIRPICK_INNER=1 DIRPICK_VIRTUAL=1 exec xvfb-run -a -s "-screen 0 1280x1024x24" "$@"
  fi
  DIRPICK_INNER=1 exec "$@"
}

# The visible dialog's window (the tree dialog's, or the one whose whole caption is NAME), polled
# every INTERVAL seconds at most TRIES times; empty when none appeared.
find_dialog() {  # [TRIES] [INTERVAL] [NAME]
  local w=""
  for _ in $(seq 1 "${1:-200}"); do
    w=$(xdotool search --onlyvisible --name "${3:-Browse for Folder}" 2>/dev/null | head -1 || true)
    [ -n "$w" ] && break
    sleep "${2:-0.05}"
  done
  echo "$w"
}

# Waits until no folder dialog is visible, so that the next search finds a new one.
wait_for_no_dialog() {
  for _ in $(seq 1 100); do
    [ -z "$(xdotool search --onlyvisible --name "Browse for Folder" 2>/dev/null || true)" ] && return 0
    sleep 0.05
  done
}

# Focuses the window and types the key as real input. Synthetic key events (xdotool key --window)
# leave the key held down in Wine's keyboard state, and the next dialog then confirms itself.
press_key() {  # WINDOW KEYS (keysyms separated by blanks)
  xdotool windowfocus --sync "$1" 2>/dev/null || true
  # shellcheck disable=SC2086
  xdotool key $2 2>/dev/null || true
}

# Saves the window as it is on screen to a PNG file.
photograph() {  # WINDOW FILE
  local geometry
  geometry=$(xdotool getwindowgeometry --shell "$1" 2>/dev/null) || return 1
  eval "$geometry"
  mkdir -p "$(dirname "$2")"
  xwd -root -silent | /usr/bin/convert xwd:- -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" "$2"
}
