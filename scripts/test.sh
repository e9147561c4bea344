#!/usr/bin/env bash
# Sets up a Debian 12 machine (idempotent) and runs every test suite:
# the native core suite under ASan+UBSan, and the same suite cross-built for
# 32-bit Windows and run under Wine. Exits non-zero if any suite fails.
set -uo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh || exit 1

status=0
summary=()

run_suite() {  # name, preset, runner prefix...
  local name=$1 preset=$2
  shift 2
  local log=build/$preset-ctest.log
  echo "=== $name: configure and build"
  if ! { cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset"; } >build/$preset-build.log 2>&1; then
    tail -50 "build/$preset-build.log"
    summary+=("$name: BUILD FAILED")
    status=1
    return
  fi
  echo "=== $name: run"
  "$@" ctest --preset "$preset" -j2 2>&1 | tee "$log" | grep -vE '^ *[0-9]+/[0-9]+ Test +#[0-9]+: .* Passed' || true
  if grep -q '^100% tests passed' "$log"; then
    summary+=("$name: $(grep -E 'tests passed' "$log" | tail -1)")
  else
    summary+=("$name: $(grep -E 'tests passed|No tests were found' "$log" | tail -1) FAILED")
    status=1
  fi
}

mkdir -p build
run_suite "native core suite (ASan+UBSan)" native env
run_suite "win32 core and UI suites (Wine)" win32 xvfb-run -a -s "-screen 0 1024x768x24"
# The Windows programs' own closing lines (each program is one ctest test).
if [ -f build/win32/Testing/Temporary/LastTest.log ]; then
  while read -r line; do summary+=("  $line"); done < <(
    awk '/^[0-9]+\/[0-9]+ Testing: / {name=$3} /^\[  (PASSED|FAILED)  \] [0-9]+ test/ {print name ": " $0}' \
      build/win32/Testing/Temporary/LastTest.log)
fi
# Programs the suites started (folders opened in Wine's explorer) end here.
WINEPREFIX=$PWD/build/wineprefix wineserver -k >/dev/null 2>&1 || true

echo
echo "=== summary"
printf '%s\n' "${summary[@]}"
exit $status
