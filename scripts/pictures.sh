#!/usr/bin/env bash
# Retakes the README's pictures, resources/classic-dialog.png (the tree) and resources/modern-dialog.png
# (/modern), as a user would see the dialogs on a machine of their own: a fresh Wine prefix under
# build/ for a user named anna, with no Z: drive, no Unix root on the desktop and a few project
# folders in her Documents. Each dialog is photographed once it shows its start folder, then
# cancelled; the prefix, its server and everything else made here are gone afterwards.
# shellcheck disable=SC1003  # Windows paths and registry keys end in backslashes
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=scripts/common.sh
source scripts/common.sh

work=$PWD/build/pictures              # the probe, the Unix home Wine is given, the captures
prefix=$PWD/build/wineprefix-pictures
user=anna                             # Wine names the profile folder after USER
projects='C:\users\'$user'\Documents\Projects'
folders=("Holiday photos" "Invoices 2026" "R&D Notes" "Website")

if [ "${DIRPICK_INNER:-}" != 1 ]; then
  build_tree build dirpick
  rm -rf "$work" && mkdir -p "$work"
  x86_64-w64-mingw32-g++-posix -std=c++20 -O2 -Wall -static -o "$work/pictures-probe.exe" scripts/pictures-probe.cpp
  # A display of its own, whatever DISPLAY says: nothing on the screen but the dialog.
  DIRPICK_INNER=1 exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi

fail() { echo "pictures: $*" >&2; exit 1; }

# Only this prefix's server is ever stopped: other tests may run their own beside this script.
export WINEPREFIX=$prefix WINEDEBUG=-all USER=$user LOGNAME=$user HOME=$work/home
unset XDG_CONFIG_HOME XDG_DATA_HOME XDG_CACHE_HOME XDG_RUNTIME_DIR
stop_prefix() {
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  rm -rf "$prefix" "$HOME"
}
trap 'stop_prefix; rm -rf "$work"' EXIT
stop_prefix  # one left by an interrupted run
mkdir -p "$HOME"

echo "pictures: making a prefix for $user" >&2
wine wineboot -i >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1  # see scripts/wine-run
# A caret that never blinks, so that a rerun gives the same pictures.
wine reg add 'HKCU\Control Panel\Desktop' /v CursorBlinkRate /d -1 /f >/dev/null 2>&1
# Wine's Unix root ("/") on the desktop (its shell folder's namespace entry), in both registry views.
for view in "" 'Wow6432Node\'; do
  key='HKLM\Software\'$view'Microsoft\Windows\CurrentVersion\Explorer\Desktop\Namespace\{9D20AAE8-0625-44B0-9CA7-71889C2254D9}'
  wine reg delete "$key" /f >/dev/null 2>&1 || true
  ! wine reg query "$key" >/dev/null 2>&1 || fail "could not delete $key"
done
wineserver -w
# Drive Z: is the Unix root, and the profile's folders are links to HOME: a Windows user has neither.
rm -f "$prefix/dosdevices/z:"
profile=$prefix/drive_c/users/$user
[ -d "$profile" ] || fail "Wine did not name the profile folder $user: $(ls "$prefix/drive_c/users")"
for link in "$profile"/*; do
  if [ -L "$link" ]; then rm "$link" && mkdir "$link"; fi
done
echo disable >"$prefix/.update-timestamp"  # no prefix update that would bring the links back

# What anna keeps.
p=$profile/Documents/Projects
mkdir -p "${folders[@]/#/$p/}"
printf '<!doctype html>\n<title>Anna Berg</title>\n' >"$p/Website/index.html"
printf 'body { font-family: sans-serif; }\n' >"$p/Website/style.css"
mkdir -p "$p/Website/images"
printf 'Invoice 2026-001\n' >"$p/Invoices 2026/2026-001 Hansen.txt"
printf 'Invoice 2026-002\n' >"$p/Invoices 2026/2026-002 Okafor.txt"
printf 'Battery test, week 3\n' >"$p/R&D Notes/Battery tests.txt"
printf 'Ideas\n' >"$p/R&D Notes/Ideas.txt"
head -c 2048 /dev/zero >"$p/Holiday photos/IMG_0412.jpg"
head -c 2048 /dev/zero >"$p/Holiday photos/IMG_0413.jpg"
printf 'Projects, owners and dates\n' >"$p/Overview.txt"
printf 'Dear Mr Hansen,\n' >"$profile/Documents/Letter to Hansen.txt"
printf 'milk, bread\n' >"$profile/Desktop/Shopping.txt"
# The programs live where a user would put them; Wine starts them from her profile folder.
mkdir -p "$prefix/drive_c/Program Files/Dirpick"
cp build/bin/dirpick.exe "$work/pictures-probe.exe" "$prefix/drive_c/Program Files/Dirpick/"
dirpick='C:\Program Files\Dirpick\dirpick.exe'
probe='C:\Program Files\Dirpick\pictures-probe.exe'

# The window's pixels as on screen, kept in FILE.xwd; prints their hash.
capture() {  # WINDOW FILE
  local WIDTH HEIGHT X Y
  eval "$(xdotool getwindowgeometry --shell "$1" 2>/dev/null)" || return 1
  xwd -root -silent >"$2.xwd"
  echo "${WIDTH}x${HEIGHT}+${X}+${Y}" >"$2.crop"
  /usr/bin/convert "xwd:$2.xwd" -crop "$(cat "$2.crop")" +repage rgb:- | md5sum
}

# Saves the window once two captures 0.1 s apart are alike (the probe has seen the content; this
# waits for the screen to show it), as a palette PNG with no time stamps.
photograph_settled() {  # WINDOW FILE
  local last="" now
  for _ in $(seq 1 100); do
    now=$(capture "$1" "$work/shot") || fail "the dialog's window went away"
    if [ "$now" = "$last" ]; then
      /usr/bin/convert "xwd:$work/shot.xwd" -crop "$(cat "$work/shot.crop")" +repage -strip \
        -define png:exclude-chunks=date,time PNG8:"$2"
      return 0
    fi
    last=$now
    sleep 0.1
  done
  fail "the dialog's picture never held still for $2"
}

# Shows dirpick's dialog (DIRPICK_ARGS), waits for its window CAPTION and for the probe (PROBE_ARGS)
# to see the content, photographs it to FILE, presses Escape and expects the cancel's exit code 1.
take() {  # FILE CAPTION
  local file=$1 caption=$2 pid window status=0
  (cd "$profile" && exec timeout 120 wine "$dirpick" "${DIRPICK_ARGS[@]}") >"$work/out.txt" 2>"$work/err.txt" &
  pid=$!
  window=$(find_dialog 600 0.1 "^$caption\$")
  [ -n "$window" ] || fail "no window captioned \"$caption\" within 60 s; dirpick said: $(cat "$work/err.txt")"
  wine "$probe" "${PROBE_ARGS[@]}" >&2 || fail "the dialog for $file never showed its start folder"
  photograph_settled "$window" "$file"
  press_key "$window" Escape
  wait "$pid" || status=$?
  [ "$status" = 1 ] || fail "dirpick ended with $status, not 1 (cancelled), after Escape: $(cat "$work/err.txt")"
  echo "pictures: $file ($(identify -format '%wx%h' "$file"))" >&2
}

DIRPICK_ARGS=(cd "$projects\\Website" "Choose the working folder")
PROBE_ARGS=(tree 30 "Browse for Folder" "$projects\\Website")
take resources/classic-dialog.png "Browse for Folder"

DIRPICK_ARGS=(cd "$projects" "Choose a project" /modern)
PROBE_ARGS=(list 30 "Choose a project" "${folders[@]}")
take resources/modern-dialog.png "Choose a project"
