#!/usr/bin/env bash
# Installs what is missing, builds in build/ (or $1), and runs every test under Wine on a virtual
# display (the real one when DISPLAY is set).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}

if [ "${DIRPICK_TEST_INNER:-}" != 1 ]; then
  scripts/install-deps.sh
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$build" -j2
  # A Wine server left from another display could not create windows on this one.
  WINEPREFIX="$(cd "$build" && pwd)/wineprefix" wineserver -k 2>/dev/null || true
  if [ -z "${DISPLAY:-}" ]; then
    DIRPICK_TEST_INNER=1 exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
  fi
  DIRPICK_TEST_INNER=1 exec "$0" "$@"
fi

# Wine names files in the Unix locale's encoding; folder names beyond ASCII need a UTF-8 one.
export LC_ALL=C.UTF-8
export WINEPREFIX="$(cd "$build" && pwd)/wineprefix"
# The Wine server and its desktop process start here, detached from CTest's output pipes: started
# by a test, they would hold that test's pipes open, and CTest would wait for them until timeout.
# The first run creates the prefix if need be; the server then stays until the end.
scripts/wine-run "$build/bin/channel_probe.exe" exit 0 </dev/null >/dev/null 2>&1 || true
wineserver -k 2>/dev/null || true
wineserver -p </dev/null >/dev/null 2>&1
scripts/wine-run "$build/bin/channel_probe.exe" exit 0 </dev/null >/dev/null 2>&1

status=0
ctest --test-dir "$build" -j2 --output-on-failure || status=$?
wineserver -k 2>/dev/null || true
exit $status
