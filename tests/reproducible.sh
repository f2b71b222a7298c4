#!/usr/bin/env bash
# Two builds of one commit give the same exe: the tracked files, copied to a folder whose path has
# a blank, build only the exe, and its bytes must equal those of BUILD_DIR's. Usage: reproducible.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
copy=$(mktemp -d "/tmp/dirpick copy.XXXXXX")
trap 'rm -rf "$copy"' EXIT
cd "$(dirname "$0")/.."
# The tracked files; a copy of a checkout without its history (a mutation run's) gives all but builds.
git ls-files -z 2>/dev/null | xargs -0r cp --parents -t "$copy" ||
  tar --exclude=./build --exclude='./build-*' --exclude=./dist -cf - . | tar -C "$copy" -xf -
# Ninja where the tree has Make: the generator is no input to the bytes either, and it costs less.
cmake -G Ninja -S "$copy" -B "$copy/build" -DCMAKE_BUILD_TYPE=Release -DDIRPICK_TESTS=OFF >/dev/null
# Every core: CTest runs it alone. Not at a low priority, which other programs that keep the machine busy would starve.
cmake --build "$copy/build" --target dirpick -j"$(nproc)" >/dev/null
cmp "$build/bin/dirpick.exe" "$copy/build/bin/dirpick.exe" && echo "reproducible: 1 passed, 0 failed"
