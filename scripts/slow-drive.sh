#!/usr/bin/env bash
# Runs a command beside a drive that stalls on purpose (scripts/slowfs.py, DELAY seconds a lookup), mounted
# under the temporary folder: Wine reaches it as Z:<mount>, given in DIRPICK_SLOW_DRIVE, and as Y:, a network
# drive, in the suite's own prefix (scripts/wine-run). Without /dev/fuse or fusepy the command runs without
# DIRPICK_SLOW_DRIVE, and its rows say they were skipped. Usage: slow-drive.sh DELAY COMMAND...
set -euo pipefail
delay=$1
shift
if [ ! -c /dev/fuse ] || ! /usr/bin/python3 -c 'import fusepy' 2>/dev/null || ! command -v fusermount3 >/dev/null; then
  exec "$@"
fi
base=$(mktemp -d "${TMPDIR:-/tmp}/slow-drive.XXXXXX")
mkdir "$base/drive"
/usr/bin/python3 "$(dirname "$0")/slowfs.py" "$base/drive" "$delay" </dev/null >"$base/daemon.log" 2>&1 &
daemon=$!
trap 'kill $daemon 2>/dev/null; wait $daemon 2>/dev/null; rm -rf "$base"' EXIT
for _ in $(seq 1 100); do
  grep -qx ready "$base/daemon.log" && break
  kill -0 $daemon 2>/dev/null || break
  sleep 0.1
done
grep -qx ready "$base/daemon.log" || { echo "slow-drive: no drive:" >&2; cat "$base/daemon.log" >&2; exit 1; }
status=0
DIRPICK_SLOW_DRIVE=$base/drive "$@" || status=$?
exit $status
