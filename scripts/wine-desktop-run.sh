#!/usr/bin/env bash
# Runs a Windows GoogleTest program inside a Wine virtual desktop (windows
# get frames and captions from Wine itself, with no X window manager to wait
# for) and exits with the suite's verdict, which Wine's desktop does not pass on.
# Usage: wine-desktop-run.sh PROGRAM.exe [ARGS...]
set -uo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
log=$(mktemp)
trap 'rm -f "$log"' EXIT
"$HERE/wine-run.sh" explorer "/desktop=korvane$$,1024x768" "$@" 2>&1 | tee "$log"
grep -q '^\[  PASSED  \]' "$log" && ! grep -q '^\[  FAILED  \]' "$log"
