#!/usr/bin/env bash
# Installs what is missing, builds, and runs Dirpick under Wine as a batch script would:
#   dirpick cd START "Pick a folder"     (START is $1, by default C:\windows)
# On a real display you answer the dialog yourself. Without one, a virtual display is used: the
# dialog is photographed to build/screenshots/run.png and confirmed on its preselected folder.
# Either way the result line and the exit code are printed.
set -euo pipefail
cd "$(dirname "$0")/.."
start=${1:-'C:\windows'}
# Wine names files in the Unix locale's encoding; folder names beyond ASCII need a UTF-8 one.
export LC_ALL=C.UTF-8

if [ "${DIRPICK_RUN_INNER:-}" != 1 ]; then
  scripts/install-deps.sh
  cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DDIRPICK_TESTS=OFF >/dev/null
  cmake --build build -j2 --target dirpick
  export WINEPREFIX="$PWD/build/wineprefix"
  wineserver -k 2>/dev/null || true
  if [ -z "${DISPLAY:-}" ]; then
    DIRPICK_RUN_INNER=1 DIRPICK_VIRTUAL=1 exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
  fi
  DIRPICK_RUN_INNER=1 exec "$0" "$@"
fi

# Creates the private Wine prefix on first use.
scripts/wine-run build/bin/dirpick.exe /? 2>/dev/null || true
export WINEPREFIX="$PWD/build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

if [ "${DIRPICK_VIRTUAL:-}" = 1 ]; then
  (
    for _ in $(seq 1 200); do
      w=$(xdotool search --onlyvisible --name "Browse for Folder" 2>/dev/null | head -1 || true)
      [ -n "$w" ] && break
      sleep 0.05
    done
    sleep 0.5
    mkdir -p build/screenshots
    eval "$(xdotool getwindowgeometry --shell "$w")"
    xwd -root -silent | /usr/bin/convert xwd:- -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" build/screenshots/run.png
    echo "screenshot: build/screenshots/run.png; confirming the preselected folder" >&2
    xdotool windowfocus --sync "$w" 2>/dev/null; xdotool key Return 2>/dev/null || true
  ) &
fi

status=0
wine build/bin/dirpick.exe cd "$start" "Pick a folder" >build/run-output.txt 2>/dev/null || status=$?
wait
echo "result line (UTF-8, as a script would receive it):"
cat build/run-output.txt
echo "exit code: $status"
wineserver -k 2>/dev/null || true
