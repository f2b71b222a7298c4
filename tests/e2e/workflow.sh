#!/usr/bin/env bash
# The whole workflow as a user meets it: the example batch scripts run by Wine's cmd.exe with the
# real dialog answered by xdotool, the result line on a real console (tmux), and a screenshot of
# the dialog saved under the build tree. Usage: workflow.sh BUILD_DIR
set -uo pipefail

source "$(dirname "$0")/lib.sh"

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

# 5. the result line on a real console: WriteConsoleW, not bytes through WriteFile.
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

# 6. error and output lines with non-ASCII text on a real console.
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
finish workflow
