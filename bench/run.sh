#!/usr/bin/env bash
# Measures the built tool and prints a table: size and imports, start-up on the usage path against
# a program that only calls ExitProcess, start to visible dialog against the same dialog opened
# by VBScript under Wine's cscript, start until the start folder shows selected (what a user waits
# for, on folders made just before each run), and peak memory. Times are medians of interleaved runs.
# Usage: bench/run.sh [RUNS]   (default 21 start-up runs, a third as many dialog runs)
set -uo pipefail
cd "$(dirname "$0")/.."
runs=${1:-21}
source scripts/common.sh

if [ "${DIRPICK_INNER:-}" != 1 ]; then
  build_tree build dirpick bench_minimal bench_ui_only bench_selected
  enter_display build "$0" "$@"
fi

exe=build/bin/dirpick.exe
minimal=build/bin/bench_minimal.exe
ui_only=build/bin/bench_ui_only.exe
scripts/wine-run "$exe" /? 2>/dev/null
export WINEPREFIX="$PWD/build/wineprefix" WINEDEBUG=-all
# One warm server for every run, so each start pays only for its own process.
wineserver -p
trap 'wineserver -k 2>/dev/null' EXIT

now_us() { echo $(($(date +%s%N) / 1000)); }
median() { sort -n | awk '{v[NR]=$1} END {print v[int((NR+1)/2)]}'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.2f", a / b}'; }
ms() { awk -v u="$1" 'BEGIN {printf "%.1f ms", u / 1000}'; }

elapsed() {  # command... -> microseconds
  local t0
  t0=$(now_us)
  "$@" >/dev/null 2>&1
  echo $(($(now_us) - t0))
}

# Starts a program that shows the dialog, waits until it is mapped (polled every 5 ms), cancels
# it, and prints the microseconds from the start to the dialog.
to_visible() {  # caption command...
  local t0 t1 w caption=$1
  shift
  t0=$(now_us)
  # Bounded, so that a dialog that never shows cannot stall the benchmark.
  timeout 30 "$@" >/dev/null 2>&1 &
  local pid=$!
  w=$(find_dialog 2000 0.005 "$caption")
  t1=$(now_us)
  if [ -z "$w" ]; then
    wait "$pid"
    echo "no dialog" >&2
    return
  fi
  sleep 0.3
  press_key "$w" Escape
  wait "$pid"
  wait_for_no_dialog
  echo $((t1 - t0))
}

peak_kib() {  # command... -> peak resident set of the process, KiB
  local report
  report=$(mktemp)
  /usr/bin/time -o "$report" -f %M "$@" >/dev/null 2>&1
  tail -1 "$report"
  rm -f "$report"
}

peak_with_dialog() {
  ( w=$(find_dialog 400 0.01); sleep 0.3; press_key "$w" Escape ) &
  peak_kib wine "$exe" cd 'C:\windows'
  wait
}

# Start-up on the usage path, interleaved with the baseline.
usage=()
base=()
ui=()
for _ in $(seq 1 "$runs"); do
  usage+=("$(elapsed wine "$exe" /?)")
  base+=("$(elapsed wine "$minimal")")
  ui+=("$(elapsed wine "$ui_only")")
done
usage_med=$(printf '%s\n' "${usage[@]}" | median)
base_med=$(printf '%s\n' "${base[@]}" | median)
ui_med=$(printf '%s\n' "${ui[@]}" | median)

# Start to visible dialog, interleaved with the VBScript peer.
dialog_runs=$(( (runs + 2) / 3 ))
tool=()
modern=()
peer=()
for _ in $(seq 1 "$dialog_runs"); do
  tool+=("$(to_visible "Browse for Folder" wine "$exe" cd 'C:\windows' 'Pick a folder')")
  modern+=("$(to_visible "^Pick a folder$" wine "$exe" cd 'C:\windows' 'Pick a folder' /modern)")
  peer+=("$(to_visible "Browse for Folder" wine cscript //nologo "$(winepath -w bench/browse.vbs)")")
done
# Start until the start folder shows selected: "short MEDIAN WORST" and "long MEDIAN WORST", in ms.
selected=$(wine build/bin/bench_selected.exe "$dialog_runs" 2>/dev/null | tr -d '\r')
selected_row() { echo "$selected" | awk -v k="$1" '$1 == k {printf "%.1f ms, worst %.1f ms", $2, $3}'; }
tool_med=$(printf '%s\n' "${tool[@]}" | median)
modern_med=$(printf '%s\n' "${modern[@]}" | median)
peer_med=$(printf '%s\n' "${peer[@]}" | median)

size=$(stat -c %s "$exe")
imports=$(x86_64-w64-mingw32-objdump -p "$exe" | awk '/DLL Name/ {print $3}' | sort | paste -sd ' ')

echo "| measure | value |"
echo "|---|---|"
echo "| dirpick.exe size | $size bytes ($(ratio "$size" 1024) KiB; at most 36 KiB) |"
echo "| imported DLLs | $imports |"
echo "| start to exit, \`dirpick /?\` (median of $runs) | $(ms "$usage_med") |"
echo "| start to exit, ExitProcess-only program | $(ms "$base_med") |"
echo "| usage path / baseline | $(ratio "$usage_med" "$base_med") |"
echo "| start to exit, common controls and COM set-up only | $(ms "$ui_med") |"
echo "| usage path / that set-up alone | $(ratio "$usage_med" "$ui_med") |"
echo "| start to visible dialog, dirpick (median of $dialog_runs) | $(ms "$tool_med") |"
echo "| start to visible file dialog, dirpick /modern | $(ms "$modern_med") |"
echo "| start to visible dialog, VBScript BrowseForFolder | $(ms "$peer_med") |"
echo "| dirpick / VBScript | $(ratio "$tool_med" "$peer_med") |"
echo "| start to start folder selected, fresh folder (median of $dialog_runs) | $(selected_row short) |"
echo "| the same, fresh folder beyond MAX_PATH | $(selected_row long) |"
echo "| peak resident set, \`dirpick /?\` | $(peak_kib wine "$exe" /?) KiB |"
echo "| peak resident set, dialog open | $(peak_with_dialog) KiB |"
echo "| peak resident set, ExitProcess-only program | $(peak_kib wine "$minimal") KiB |"
