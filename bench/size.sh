#!/usr/bin/env bash
# Where the exe's bytes are: its size against the 36 KiB limit, each section's bytes (on disk a
# section takes whole 512-byte blocks), and the largest functions and constants, read from the
# same link with its symbols kept. Usage: bench/size.sh [COUNT]   (default 15 of each)
set -euo pipefail
cd "$(dirname "$0")/.."
count=${1:-15}
source scripts/common.sh
build_tree build dirpick bench_dirpick_symbols
exe=build/bin/dirpick.exe symbols=build/bin/bench_dirpick_symbols.exe
size=$(stat -c %s "$exe")
echo "dirpick.exe: $size bytes of 36864, $((36864 - size)) left"
x86_64-w64-mingw32-objdump -h "$exe" | perl -ne 'printf "  %-7s %6d bytes, %6d on disk\n", $1, hex $2,
  $1 eq ".bss" ? 0 : int((hex($2) + 511) / 512) * 512 if /^\s+\d+ (\.\w+)\s+([0-9a-f]+)/'
for kind in "functions:tTwW" "constants:rR"; do
  echo "largest ${kind%%:*}:"
  x86_64-w64-mingw32-nm --size-sort -S -C "$symbols" | perl -ne "printf \"  %6d %s\n\", hex \$1, \$2
    if /^[0-9a-f]+ ([0-9a-f]+) [${kind#*:}] (.*)/" | tail -n "$count" | sort -rn
done
