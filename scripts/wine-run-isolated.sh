#!/usr/bin/env bash
# Runs a Windows program under Wine like wine-run.sh, then ends every program
# still running in the prefix (folders the program had the shell open stay
# open in Wine's explorer and would keep the caller's output pipe open).
# Usage: wine-run-isolated.sh PROGRAM.exe [ARGS...]
set -uo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
"$HERE/wine-run.sh" "$@"
status=$?
WINEPREFIX=${KORVANE_WINEPREFIX:-$HERE/../build/wineprefix} wineserver -k >/dev/null 2>&1
exit $status
