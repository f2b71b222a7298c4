#!/usr/bin/env bash
# The workflow as a user meets it: batch scripts run by Wine's cmd.exe with the dialog answered as the C++ tests answer
# theirs, and real consoles (tmux, and Wine's windowed console for /center). Usage: workflow.sh BUILD_DIR
set -uo pipefail
build=$(cd "${1:?build dir}" && pwd)
source "$(dirname "$0")/../scripts/common.sh"
[ -n "${DISPLAY:-}" ] || exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
"$(dirname "$0")/../scripts/wine-run" "$build/bin/channel_probe.exe" exit 0 </dev/null >/dev/null 2>&1
# CI runs without a terminal; tmux still wants to know what its panes emulate.
export TERM=${TERM:-xterm} WINEDEBUG=-all
# A copy of the build's prefix, with a server and a display of its own: the workflow runs beside the
# suites that take the build's display, and no dialog here can take the foreground from theirs. The
# server starts detached: one started by a test would hold CTest's pipes open.
export WINEPREFIX=$build/wineprefix-workflow
rm -rf "$WINEPREFIX" && cp -a "$build/wineprefix" "$WINEPREFIX" 2>/dev/null
wineserver -p </dev/null >/dev/null 2>&1
wine "$build/bin/channel_probe.exe" exit 0 </dev/null >/dev/null 2>&1  # its services up before the first dialog
export WINEPATH="$(winepath -w "$build/bin")"
# Its folders live on the prefix's C:, whose ancestors nobody else touches: wherever the clone lies (CI may
# clone into /tmp), Wine's tree lists them, and a listing read while others fill a folder can miss entries.
work=$(mktemp -d "$WINEPREFIX/drive_c/workflow.XXXXXX")
trap 'tmux -L "dirpick-$$" kill-server 2>/dev/null; wineserver -k 2>/dev/null; rm -rf "$WINEPREFIX"' EXIT
passed=0
check() {  # name expected actual; a failing row, with what Wine said meanwhile, ends the run
  [ "$2" == "$3" ] && passed=$((passed + 1)) && rm -f "$work/wine.log" && return
  printf 'FAILED %s\n  expected: %q\n  actual:   %q\n' "$1" "$2" "$3"
  grep -v 'Read access denied' "$work/wine.log" 2>/dev/null | sed 's/^/  Wine said: /'
  echo "workflow: $passed passed, 1 failed; the rows after it were not run" && exit 1
}
# The C++ tests' answerer: once the next dialog shows the folder (or the typed name), it presses the
# button (1 OK, 2 Cancel) and waits for the dialog to close; it prints the dialog's centre "x y".
answer() { wine "$build/bin/answer.exe" "$@" 2>/dev/null | tr -d '\r'; }  # row button folder [name]
# A folder on the prefix's C: is named from its path, with no Wine process to start; anything else asks Wine.
win() {
  local c=${1#"$WINEPREFIX/drive_c/"}
  [ "$c" != "$1" ] && echo "C:\\${c//\//\\}" || winepath -w "$1" 2>/dev/null
}
run_bat() {  # button pick folder line...: runs the lines as a batch file in the folder, the dialog answered
  printf '%s\r\n' '@echo off' "${@:4}" >"$work/run.bat"
  [ "$1" = 0 ] || answer "${*:4}" "$1" "$(win "$2")" >&2 &
  (cd "$3" && timeout 60 wine cmd /c "$(win "$work/run.bat")" 2>"$work/wine.log" | tr -d '\r')
  wait
}

# The examples on folders named as users name them (& ^ % and blanks), from a start folder named so too, each
# given the folder in short form: Wine's cmd /c drops a lone % from its command line. Wine's cmd.exe also expands
# the % in %CD% or %dir% again, dropping a lone one (Windows does not): the rows expect the names without it.
odd="$work/R&D ^5 (50%off)" start="$work/Start & 100%" tools="$work/My Tools & Co" stand_in="$work/stand-in"
here=$(dirname "$0")/.. && mkdir -p "$odd" "$start" "$tools" "$stand_in" && cp "$here"/examples/*.bat "$work/"
cp "$work/capture-folder.bat" "$build/bin/dirpick.exe" "$tools/"
cp "$build/bin/channel_probe.exe" "$stand_in/dirpick.exe"
short=$(winepath -s "$(win "$odd")") o=$(win "$odd") o=${o//%/} s=$(win "$start") s=${s//%/}
example() {  # button script [argument [from]]: the example run from start, or from, its output and exit code
  run_bat "$1" "$odd" "${4:-$start}" "cmd /c ..\\$2 \"${3-$short}\"" 'echo exit=%ERRORLEVEL%'
}
check "cd enters the folder picked" "$(printf 'Now in "%s"\nexit=0' "$o")" "$(example 1 cd-to-picked.bat)"
check "a cancel stays in place" "$(printf 'Cancelled, still in "%s"\nexit=1' "$s")" "$(example 2 cd-to-picked.bat)"
check "a folder gone before the call (a stand-in writes its line) is no success" "exit=3" \
  "$(example 0 cd-to-picked.bat 'C:\Gone' "$stand_in")"
check "a refusal is no cancel" "exit=255" "$(example 0 cd-to-picked.bat /batch)"
check "set-variable: a script that sets nothing (the stand-in writes no line) is no success" "exit=2" \
  "$(example 0 set-variable.bat 'C:\Gone' "$stand_in")"
for row in cd-to-picked=255 pushd-to-picked=2 set-variable=2; do  # a crash's negative code says no folder
  check "${row%=*}: a crash is no success" "exit=${row#*=}" "$(example 0 "${row%=*}.bat" crash "$stand_in")"; done
check "pushd enters, popd returns" "$(printf 'Working in "%s"\nBack in "%s"\nexit=0' "$o" "$s")" \
  "$(example 1 pushd-to-picked.bat)"
check "set stores the folder" "$(printf 'Target is "%s"\nexit=0' "$o")" "$(example 1 set-variable.bat)"
check "for /f runs the exe by a quoted path with a blank and an &, and keeps every byte" \
  "$(printf 'Picked "%s"\n[%s]' "$o" "$(win "$odd")")" "$(run_bat 1 "$odd" "$odd" \
  "call \"$(win "$tools")\\capture-folder.bat\"" 'setlocal EnableDelayedExpansion' 'echo [!dir!]')"
awk '/^```bat/ { n++; on = 1; next } /^```/ { on = 0 } on { print > (dir "/recipe" n) }' dir="$work" "$here/README.md"
unmatched=$(for r in "$work"/recipe*; do
  for e in "$work"/*.bat; do tr -d '\r' <"$e" | cmp -s - "$r" && continue 2; done; echo "$r"; done)
check "the README's batch recipes are the examples" "2 recipes" "$(ls "$work"/recipe* | wc -l) recipes$unmatched"

# /batch: the temporary script reads back exactly the folder picked, in the code page cmd.exe reads it in, with
# % and & intact; the check reads the variable delayed, as Wine's cmd.exe expands its % again.
odd="$work/Jösé 50%off R&D %PATH%"
mkdir -p "$odd" && touch "$odd/marker.txt"
check "/batch round-trips an odd folder through cmd.exe" found "$(run_bat 1 "$odd" "$odd" \
  'setlocal EnableDelayedExpansion' 'dirpick "set PICKED=" "" Pick /batch > "%TEMP%\pick.cmd"' \
  'call "%TEMP%\pick.cmd"' 'cd /d C:\' 'cd /d !PICKED!' 'if exist marker.txt (echo found) else (echo missing)')"
# A real console takes WriteConsoleW, not bytes; its text reaches the pane as UTF-8 only in a
# UTF-8 locale. Wine's own notes (a drive scan cannot read Z:'s label) share the console.
exe="wine '$build/bin/dirpick.exe'" unicode=$(win "$work/Ä€") && mkdir -p "$work/Ä€"
tmux -u -L "dirpick-$$" new-session -d -x 200 -y 20 -s c "env LANG=C.UTF-8 DISPLAY=$DISPLAY \
  WINEPREFIX=$WINEPREFIX WINEDEBUG=-all sh -c \"$exe 'cd /d Ä€' 'C:\\windows' Console /batch; echo \
  exit=\\\$?; $exe - '$unicode' Console /bare; echo exit=\\\$?; $exe cd C: T /é; echo exit=\\\$?\"; sleep 60"
answer console 1 'C:\windows' >&2 && answer console 1 "$unicode" >&2
for _ in $(seq 1 100); do tmux -L "dirpick-$$" capture-pane -p -t c | grep -q '^exit=255' && break || sleep 0.1; done
check "a console shows the result lines as text, refusing nothing, and the error line" \
  "$(printf 'cd /d Ä€ "C:\\windows"\nexit=0\n%s\nexit=0\nInvalid option: /é\nexit=255' "$unicode")" \
  "$(tmux -L "dirpick-$$" capture-pane -p -t c | grep -v '^$' | grep -v '^wine: ')"

# /center with a console window of its own: Wine's windowed console runs cmd.exe, which runs dirpick.
(cd "$work" && timeout 60 wine wineconsole cmd /c "dirpick cd C:\\windows T /center > NUL" 2>/dev/null) &
answer /center 1 'C:\windows' >"$work/centre" &
for _ in $(seq 1 200); do  # the console's geometry as X, Y, WIDTH and HEIGHT, once it is up
  eval "$(xdotool search --onlyvisible --class conhost.exe getwindowgeometry --shell 2>/dev/null)"
  [ -n "${WIDTH:-}" ] && break || sleep 0.05
done
wait
check "/center puts the dialog over the console window" "$((X + WIDTH / 2)) $((Y + HEIGHT / 2))" "$(cat "$work/centre")"

echo "workflow: $passed passed, 0 failed"
