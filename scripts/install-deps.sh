#!/usr/bin/env bash
# Installs what building, running and testing Dirpick need on Debian; idempotent.
# Only missing packages are installed, and the package lists are refreshed once, only when needed.
set -euo pipefail

packages=(
  g++-mingw-w64-x86-64-posix   # the cross compiler and windres
  wine wine64                  # runs the exe and its tests
  xvfb xauth                   # a virtual display for the dialog
  xdotool                      # drives the real dialog
  tmux                         # a real console for the WriteConsoleW path
  cmake make
  ninja-build                  # the second build of the reproducibility test
  googletest                   # built from source with the cross compiler
  imagemagick x11-apps         # screenshots of the dialog (xwd, convert)
  time                         # peak memory in the benchmarks
  zip                          # the release archive
  fuse3                        # fusermount3, for the drive that stalls on purpose (scripts/slow-drive.sh)
  python3-fusepy               # that drive's file system (scripts/slowfs.py)
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
