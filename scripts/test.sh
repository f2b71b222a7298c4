#!/usr/bin/env bash
# Installs what is missing, builds in build/ (or $1), and runs every test under Wine on a virtual
# display (the real one when DISPLAY is set).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
source scripts/common.sh

if [ "${DIRPICK_INNER:-}" != 1 ]; then
  build_tree "$build"
  enter_display "$build" "$0" "$@"
fi

export WINEPREFIX="$(cd "$build" && pwd)/wineprefix"
# The Wine server and its desktop process start here, detached from CTest's output pipes: started
# by a test, they would hold that test's pipes open, and CTest would wait for them until timeout.
# The first run creates the prefix if need be; the server then stays until the end.
scripts/wine-run "$build/bin/channel_probe.exe" exit 0 </dev/null >/dev/null 2>&1 || true
wineserver -k 2>/dev/null || true
wineserver -p </dev/null >/dev/null 2>&1
scripts/wine-run "$build/bin/channel_probe.exe" exit 0 </dev/null >/dev/null 2>&1

status=0
# Four at a time on two cores: the suites spend much of their time waiting on Wine and on time limits.
ctest --test-dir "$build" -j4 --output-on-failure || status=$?
wineserver -k 2>/dev/null || true
exit $status
