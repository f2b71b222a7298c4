#!/usr/bin/env bash
# /center with a console window of its own: Wine's windowed console (wineconsole, conhost) runs
# cmd.exe, which runs dirpick /center; the dialog must open centred over that console window.
# Usage: console_centre.sh BUILD_DIR
set -uo pipefail
source "$(dirname "$0")/lib.sh"

centre_of() {  # window -> "x y", or "gone"
  local geometry
  geometry=$(xdotool getwindowgeometry --shell "$1" 2>/dev/null) || { echo gone; return; }
  eval "$geometry"
  echo "$((X + WIDTH / 2)) $((Y + HEIGHT / 2))"
}

wait_for_no_dialog
(cd "$work" && wine wineconsole cmd /c "dirpick.exe cd C:\\windows Centred /center > centred.txt" 2>/dev/null) &
dialog=$(find_dialog)
console=$(xdotool search --onlyvisible --class conhost.exe 2>/dev/null | tail -1)
if [ -n "$dialog" ] && [ -n "$console" ]; then
  sleep 0.5
  console_centre=$(centre_of "$console")
  [ "$console_centre" = gone ] && console_centre="console window gone"
  check "/center puts the dialog over the console window" "$console_centre" "$(centre_of "$dialog")"
  press_key "$dialog" Return
else
  check "/center test found a dialog and a console window" "both" "dialog=$dialog console=$console"
fi
wait
check "the windowed console run wrote its line" 'C:
cd "C:\windows"' "$(tr -d '\r' < "$work/centred.txt" 2>/dev/null)"

finish console_centre
