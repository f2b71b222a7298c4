# Shared by the shell tests: the build tree, Wine's environment, a virtual display when there is
# none, a scratch folder, the pass/fail tally, and the dialog answered through xdotool.
# Sourced with the build folder as the script's first argument.

build=$(cd "${1:?build dir}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
source_dir=$(cd "$here/../.." && pwd)
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi

# The prefix is made (once) by the wrapper that runs every Windows test program.
"$source_dir/scripts/wine-run" "$build/bin/channel_probe.exe" exit 0 </dev/null >/dev/null 2>&1 || true
# CI runs without a terminal; tmux still wants to know what its panes emulate.
export TERM=${TERM:-xterm}
export WINEPREFIX=$build/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export WINEPATH="$(winepath -w "$build/bin")"

work=$(mktemp -d /tmp/dirpick-workflow.XXXXXX)
shots=$build/screenshots
mkdir -p "$shots"
passed=0
failed=0
trap 'rm -rf "$work"; tmux -L "dirpick-$$" kill-server 2>/dev/null' EXIT

check() {  # name expected actual
  if [ "$2" == "$3" ]; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    printf 'FAILED %s\n  expected: %q\n  actual:   %q\n' "$1" "$2" "$3"
  fi
}

# The dialog of an earlier step may still be closing; a search must not find it.
wait_for_no_dialog() {
  for _ in $(seq 1 100); do
    [ -z "$(xdotool search --onlyvisible --name "Browse for Folder" 2>/dev/null)" ] && return 0
    sleep 0.05
  done
}

# Focuses the window and types the key as real input. Synthetic key events (xdotool key --window)
# leave the key held down in Wine's keyboard state, and the next dialog then confirms itself.
press_key() {  # window key
  xdotool windowfocus --sync "$1" 2>/dev/null
  xdotool key "$2" 2>/dev/null
}

# Waits for the dialog, lets it settle, then sends a key: Return confirms, Escape cancels.
answer_dialog() {  # key [screenshot-name]
  local w=""
  wait_for_no_dialog
  for _ in $(seq 1 200); do
    w=$(xdotool search --onlyvisible --name "Browse for Folder" 2>/dev/null | head -1)
    [ -n "$w" ] && break
    sleep 0.05
  done
  [ -n "$w" ] || { echo "no dialog appeared"; return 1; }
  sleep 0.5
  if [ -n "${2:-}" ]; then
    eval "$(xdotool getwindowgeometry --shell "$w")"
    xwd -root -silent | /usr/bin/convert xwd:- -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" "$shots/$2.png"
  fi
  press_key "$w" "$1"
}

win_path() { winepath -w "$1" 2>/dev/null; }

centre_of() {  # window -> "x y", or "gone"
  local geometry
  geometry=$(xdotool getwindowgeometry --shell "$1" 2>/dev/null) || { echo gone; return; }
  eval "$geometry"
  echo "$((X + WIDTH / 2)) $((Y + HEIGHT / 2))"
}

finish() {  # name: prints the tally and fails on any failure
  echo "$1: $passed passed, $failed failed"
  [ "$failed" -eq 0 ]
}
