#!/usr/bin/env bash
# Installs what is missing, builds, and runs Dirpick under Wine as a batch script would:
#   dirpick cd START "Pick a folder"     (START is $1, by default C:\windows)
# On a real display you answer the dialog yourself. Without one, a virtual display is used: the
# dialog is photographed to build/screenshots/run.png and confirmed on its preselected folder.
# Either way the result line and the exit code are printed.
set -euo pipefail
cd "$(dirname "$0")/.."
start=${1:-'C:\windows'}
source scripts/common.sh

if [ "${DIRPICK_INNER:-}" != 1 ]; then
  build_tree build dirpick
  enter_display build "$0" "$@"
fi

# Creates the private Wine prefix on first use.
scripts/wine-run build/bin/dirpick.exe /? >/dev/null 2>&1 || true
export WINEPREFIX="$PWD/build/wineprefix" WINEDEBUG=-all

if [ "${DIRPICK_VIRTUAL:-}" = 1 ]; then
  (
    w=$(find_dialog)
    sleep 0.5
    photograph "$w" build/screenshots/run.png || true
    echo "screenshot: build/screenshots/run.png; confirming the preselected folder" >&2
    press_key "$w" Return
  ) &
fi

status=0
wine build/bin/dirpick.exe cd "$start" "Pick a folder" >build/run-output.txt 2>/dev/null || status=$?
wait
echo "result line (UTF-8, as a script would receive it):"
cat build/run-output.txt
echo "exit code: $status"
wineserver -k 2>/dev/null || true
