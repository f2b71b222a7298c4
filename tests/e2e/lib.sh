# Shared by the shell tests: the build tree, Wine's environment, a virtual display when there is
# none, a scratch folder, the pass/fail tally, and the dialog answered through xdotool.
# Sourced with the build folder as the script's first argument.

build=$(cd "${1:?build dir}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
source_dir=$(cd "$here/../.." && pwd)
source "$source_dir/scripts/common.sh"
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

# Waits for the dialog, lets it settle, then sends a key: Return confirms, Escape cancels.
answer_dialog() {  # key [screenshot-name]
  local w
  wait_for_no_dialog
  w=$(find_dialog)
  [ -n "$w" ] || { echo "no dialog appeared"; return 1; }
  sleep 0.5
  [ -n "${2:-}" ] && photograph "$w" "$shots/$2.png"
  press_key "$w" "$1"
}

win_path() { winepath -w "$1" 2>/dev/null; }

finish() {  # name: prints the tally and fails on any failure
  echo "$1: $passed passed, $failed failed"
  [ "$failed" -eq 0 ]
}
