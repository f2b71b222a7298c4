#!/usr/bin/env bash
# The whole workflow as a user meets it: the example batch scripts run by Wine's cmd.exe with the
# real dialog answered by xdotool, the result line on a real console (tmux), and a screenshot of
# the dialog saved under the build tree. Usage: workflow.sh BUILD_DIR
set -uo pipefail

build=$(cd "${1:?build dir}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
source_dir=$(cd "$here/../.." && pwd)
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi

# The prefix is made (once) by the wrapper that runs every Windows test program.
"$source_dir/scripts/wine-run" "$build/bin/channel_probe.exe" exit 0 || true
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
  xdotool key --window "$w" "$1" 2>/dev/null
}

win_path() { winepath -w "$1" 2>/dev/null; }

mkdir -p "$work/Projects/Alpha Beta" "$work/start"
cp "$source_dir"/examples/*.bat "$work/"
alpha=$(win_path "$work/Projects/Alpha Beta")

# 1. cd to the picked folder: the script ends in it.
answer_dialog Return dialog &
out=$(cd "$work/start" && wine cmd /c ..\\cd-to-picked.bat "$alpha" 2>/dev/null | tr -d '\r')
wait
check "cd example ends in the picked folder" "Now in $alpha" "$out"

# 2. cancel: the script stays where it was.
answer_dialog Escape &
out=$(cd "$work/start" && wine cmd /c ..\\cd-to-picked.bat "$alpha" 2>/dev/null | tr -d '\r')
wait
check "cancel leaves the script in place" "Cancelled, still in $(win_path "$work/start")" "$out"

# 3. a variable set to the picked folder.
answer_dialog Return &
out=$(cd "$work/start" && wine cmd /c ..\\set-variable.bat "$alpha" 2>/dev/null | tr -d '\r')
wait
check "set example stores the folder" "Target is \"$alpha\"" "$out"

# 4. pushd and back.
answer_dialog Return &
out=$(cd "$work/start" && wine cmd /c ..\\pushd-to-picked.bat "$alpha" 2>/dev/null | tr -d '\r')
wait
check "pushd example enters and leaves" "Working in $alpha
Back in $(win_path "$work/start")" "$out"

# 5. /center over a console window of its own: Wine's windowed console (conhost).
centre_of() {  # window -> "x y", or "gone"
  local geometry
  geometry=$(xdotool getwindowgeometry --shell "$1" 2>/dev/null) || { echo gone; return; }
  eval "$geometry"
  echo "$((X + WIDTH / 2)) $((Y + HEIGHT / 2))"
}
wait_for_no_dialog
(cd "$work" && wine wineconsole cmd /c "dirpick.exe cd C:\\windows Centred /center > centred.txt" 2>/dev/null) &
dialog=""
for _ in $(seq 1 200); do
  dialog=$(xdotool search --onlyvisible --name "Browse for Folder" 2>/dev/null | head -1)
  [ -n "$dialog" ] && break
  sleep 0.05
done
console=$(xdotool search --onlyvisible --class conhost.exe 2>/dev/null | tail -1)
if [ -n "$dialog" ] && [ -n "$console" ]; then
  sleep 0.5
  console_centre=$(centre_of "$console")
  [ "$console_centre" = gone ] && console_centre="console window gone"
  check "/center puts the dialog over the console window" "$console_centre" "$(centre_of "$dialog")"
  xdotool key --window "$dialog" Return 2>/dev/null
else
  check "/center test found a dialog and a console window" "both" "dialog=$dialog console=$console"
fi
wait
check "the windowed console run wrote its line" 'C:
cd "C:\windows"' "$(tr -d '\r' < "$work/centred.txt" 2>/dev/null)"

# 6. the result line on a real console: WriteConsoleW, not bytes through WriteFile.
# The console's text reaches the pane as UTF-8 only in a UTF-8 locale, whatever the caller's.
tm() { tmux -u -L "dirpick-$$" "$@"; }
tm new-session -d -x 200 -y 20 -s c "env LANG=C.UTF-8 DISPLAY=$DISPLAY WINEPREFIX=$WINEPREFIX WINEDEBUG=-all \
  wine '$build/bin/dirpick.exe' 'cd /d' 'C:\\windows' 'Console test'; echo \"exit=\$?\"; sleep 60"
answer_dialog Return
for _ in $(seq 1 100); do
  tm capture-pane -p -t c | grep -q '^exit=' && break
  sleep 0.1
done
# Wine's own notes (the shell's drive scan cannot read the Z: volume label) share the console.
screen=$(tm capture-pane -p -t c | grep -v '^$' | grep -v '^wine: ')
check "console shows the result line and exit code" 'cd /d "C:\windows"
exit=0' "$screen"
tm kill-session -t c

# 7. error and output lines with non-ASCII text on a real console.
tm new-session -d -x 200 -y 20 -s p "env LANG=C.UTF-8 DISPLAY=$DISPLAY WINEPREFIX=$WINEPREFIX WINEDEBUG=-all \
  wine '$build/bin/channel_probe.exe' both; echo done; sleep 60"
for _ in $(seq 1 100); do
  tm capture-pane -p -t p | grep -q '^done' && break
  sleep 0.1
done
screen=$(tm capture-pane -p -t p | grep -v '^$')
tm kill-session -t p
check "console shows UTF-16 lines as text" "error line é
output line Ä€
done" "$screen"

[ -s "$shots/dialog.png" ] && passed=$((passed + 1)) || { failed=$((failed + 1)); echo "FAILED no screenshot"; }
echo "workflow: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
