#!/usr/bin/env bash
# Sets up the machine (idempotent). With a display (and without --cli) it
# builds the Windows program and starts it under Wine, in its own program
# folder build/app/ (outputs and the history file go there). Otherwise it
# builds the command-line tool and converts
# the bundled sample photos as one batch, exactly as a drop on the program's
# window would: a new time-stamped folder inside the program folder build/run/
# receives the converted photos and the report 出力結果.txt, and the history
# file build/run/履歴.txt gets the batch's entry (and keeps its options for
# the next run). Extra arguments go to the tool, e.g.
#   bash scripts/run.sh --scale 1/4 --color sepia2 --vignette white,frame,thick
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

if [ -n "${DISPLAY:-}" ] && [ "${1:-}" != "--cli" ]; then
  cmake --preset win32 >/dev/null
  cmake --build --preset win32 --target KorvaneResize >/dev/null
  mkdir -p build/app
  cp build/win32/app/KorvaneResize.exe "build/win32/app/マニュアル.mht" build/app/
  cd build/app
  echo "Starting KorvaneResize.exe under Wine in $(pwd); drop JPEG files or folders on its window."
  exec ../../scripts/wine-run.sh KorvaneResize.exe
fi
[ "${1:-}" = "--cli" ] && shift
cmake --preset native-release >/dev/null
cmake --build --preset native-release --target korvane-resize >/dev/null
mkdir -p build/run

# Without a display there is no file manager to show the new folder.
open=()
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then open=(--no-open); fi

status=0
./build/native-release/cli/korvane-resize --folder build/run "${open[@]}" "$@" samples/*.jpg || status=$?

# The report of the batch just made, as text.
newest=$(ls -td build/run/*/ 2>/dev/null | head -1)
if [ "$status" -ne 2 ] && [ -n "$newest" ] && [ -f "$newest/出力結果.txt" ]; then
  echo
  echo "--- ${newest}出力結果.txt"
  iconv -f UTF-16 -t UTF-8 "$newest/出力結果.txt" | tr -d '\r'
fi
exit "$status"
