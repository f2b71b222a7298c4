#!/usr/bin/env bash
# Installs what is missing, builds from scratch in build/ (or $1), and runs every test under Wine
# on a virtual display (the real one when DISPLAY is set).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}

scripts/install-deps.sh
# Wine names files in the Unix locale's encoding; folder names beyond ASCII need a UTF-8 one.
export LC_ALL=C.UTF-8
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j2

# A Wine server left from another display could not create windows on this one.
export WINEPREFIX="$(cd "$build" && pwd)/wineprefix"
wineserver -k 2>/dev/null || true
status=0
if [ -z "${DISPLAY:-}" ]; then
  xvfb-run -a -s "-screen 0 1280x1024x24" ctest --test-dir "$build" -j2 --output-on-failure || status=$?
else
  ctest --test-dir "$build" -j2 --output-on-failure || status=$?
fi
# The Wine server outlives its programs for a while; do not leave it behind.
wineserver -k 2>/dev/null || true
exit $status
