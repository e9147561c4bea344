#!/usr/bin/env bash
# Sets up a Debian 12 machine (idempotent) and runs every test suite:
# the native core suite under ASan+UBSan (with the hostile corpus through the
# command-line tool and the 1,000-file soak), the same suite cross-built for
# 32-bit Windows and run under Wine (with the hostile corpus through the
# Windows program), the preview beside a batch under ThreadSanitizer, and the
# libFuzzer harnesses for 60 seconds each. Exits non-zero if anything fails.
# Usage: bash scripts/test.sh [--quick]   (--quick: no soak, no fuzzing)
set -uo pipefail
cd "$(dirname "$0")/.."
quick=0
[ "${1:-}" = --quick ] && quick=1
bash scripts/setup.sh || exit 1

status=0
summary=()

ctest_args=(-j2)
((quick)) && ctest_args+=(-LE long)

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
  "$@" ctest --preset "$preset" "${ctest_args[@]}" 2>&1 | tee "$log" | grep -vE '^ *[0-9]+/[0-9]+ Test +#[0-9]+: .* Passed' || true
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
# The figures of the long runs, from the logs.
for log in build/native/Testing/Temporary/LastTest.log build/win32/Testing/Temporary/LastTest.log; do
  [ -f "$log" ] || continue
  while read -r line; do summary+=("  $line"); done < <(grep -hE '^(hostile corpus through|soak: [0-9])' "$log" | sort -u)
done

echo "=== preview beside a batch (ThreadSanitizer): build"
if { cmake --preset tsan >/dev/null && cmake --build --preset tsan -j2; } >build/tsan-build.log 2>&1; then
  echo "=== preview beside a batch (ThreadSanitizer): run"
  if out=$(TSAN_OPTIONS=halt_on_error=1:exitcode=66 build/tsan/tests/preview_with_batch 2>&1); then
    summary+=("ThreadSanitizer: $(tail -1 <<<"$out"), no report")
  else
    echo "$out" | tail -60
    summary+=("ThreadSanitizer: FAILED")
    status=1
  fi
else
  tail -50 build/tsan-build.log
  summary+=("ThreadSanitizer: BUILD FAILED")
  status=1
fi

if ((!quick)); then
  echo "=== fuzzing (libFuzzer, 60 s a harness)"
  if bash scripts/fuzz.sh 60 2>&1 | tee build/fuzz.log; then
    summary+=("fuzzing: no finding")
  else
    summary+=("fuzzing: FAILED (inputs in build/fuzz/)")
    status=1
  fi
  while read -r line; do summary+=("  $line"); done < <(
    awk '/^=== .*: run/ {name=$2; sub(/:$/, "", name)} /^Done [0-9]+ runs/ {print name ": " $0}' build/fuzz.log)
fi

echo
echo "=== summary"
printf '%s\n' "${summary[@]}"
exit $status
