#!/usr/bin/env bash
# Runs the README's test command N times, each from a fresh clone of HEAD with its own build tree and
# Wine prefix; --busy keeps two CPU loops and a loop that creates and deletes files in the temporary
# folder running beside it, as on a loaded CI machine with a compiler at work.
# --in DIR puts the clones in DIR (CI may clone anywhere, the temporary folder too) instead of build-soak/.
# Prints one line per failing case and ends with "soak: N passed, M failed".
# Usage: scripts/soak.sh N [--busy] [--in DIR]
set -uo pipefail
cd "$(dirname "$0")/.."
runs=${1:?usage: soak.sh N [--busy] [--in DIR]}
shift
busy="" soak=$PWD/build-soak
while [ $# -gt 0 ]; do
  case $1 in
    --busy) busy=--busy ;;
    --in) soak=$(mkdir -p "$2" && cd "$2" && pwd)/dirpick-soak && shift ;;
    *) echo "usage: soak.sh N [--busy] [--in DIR]" >&2 && exit 2 ;;
  esac
  shift
done
rm -rf "$soak" && mkdir -p "$soak"
loops=()
stop_loops() {
  [ ${#loops[@]} -eq 0 ] || kill "${loops[@]}" 2>/dev/null
  wait "${loops[@]}" 2>/dev/null
  rm -f "${TMPDIR:-/tmp}"/dirpick-soak-churn.*
}
trap stop_loops EXIT
if [ "$busy" = --busy ]; then
  for _ in 1 2; do (while :; do :; done) & loops+=($!); done
  (while :; do
    for i in $(seq 1 50); do echo x >"${TMPDIR:-/tmp}/dirpick-soak-churn.$i"; done
    rm -f "${TMPDIR:-/tmp}"/dirpick-soak-churn.*
  done) & loops+=($!)
fi

passed=0 failed=0
for n in $(seq 1 "$runs"); do
  clone=$soak/run-$n
  git clone -q . "$clone"
  log=$soak/run-$n.log
  if (cd "$clone" && env -u DISPLAY scripts/test.sh >"$log" 2>&1); then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    # The failing CTest entries and the rows that name themselves.
    grep -E '^\s*[0-9]+ - |^FAILED |never showed|stayed up|no dialog appeared|did not end|could not start' "$log" |
      sed "s|^|run $n: |" | sort -u
  fi
  rm -rf "$clone"
done
echo "soak: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
