#!/usr/bin/env bash
# Deliberate faults in the batch recipes: each is planted in a scratch copy of the example and of the
# README alike (the README's blocks must equal the examples), and the workflow runs on it. Each line
# printed names the row that caught the fault first; the README check comes after the example rows.
# Usage: scripts/recipe-mutants.sh [BUILD_DIR]   (default build/, built with the tests)
set -uo pipefail
cd "$(dirname "$0")/.."
build=$(cd "${1:-build}" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
plant() {  # id example perl-substitution
  rm -rf "${scratch:?}"/* && cp -a tests scripts examples README.md "$scratch/"
  perl -0pi -e "$3" "$scratch/$2" "$scratch/README.md"
  if cmp -s "$scratch/$2" "$2"; then echo "$1: does not apply" && return; fi
  echo "$1: $(bash "$scratch/tests/workflow.sh" "$build" 2>&1 | grep -E '^FAILED|^workflow:' | tr '\n' ' ')"
}
plant cd-unquoted examples/cd-to-picked.bat 's/echo Now in "%CD%"/echo Now in %CD%/'
plant cd-unchecked examples/cd-to-picked.bat 's/if errorlevel 1 goto unentered\r?\n//'
plant cd-crash-passes examples/cd-to-picked.bat 's/if not errorlevel 0 goto refused\r?\n//'
plant set-crash-passes examples/set-variable.bat 's/if not errorlevel 0 goto failed\r?\n//'
plant set-unset-passes examples/set-variable.bat 's/if not defined TARGET goto failed\r?\n//'
plant pushd-unquoted examples/pushd-to-picked.bat 's/echo Working in "%CD%"/echo Working in %CD%/'
plant forf-quotes examples/capture-folder.bat 's/\x27""(%%DIRPICK%%".*)"\x27\)/\x27"$1\x27)/'
plant forf-cd examples/capture-folder.bat 's/"%%DIRPICK%%" - \. /"%%DIRPICK%%" - "%CD%" /'
