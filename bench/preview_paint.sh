#!/usr/bin/env bash
# The preview's paint under Wine: one whole DrawPreview in the large view that
# has to render the heaviest effect chain (super soft focus, outline and shadow
# with smoothing and grouping, vignette), then one that only copies, each as
# the median of 60 paints, to compare with one 60 Hz frame (16.7 ms). It is a
# disabled case of the UI suite, run here alone.
# Usage: bash bench/preview_paint.sh
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset win32 >/dev/null
cmake --build --preset win32 -j2 >/dev/null
xvfb-run -a -s "-screen 0 1024x768x24" scripts/wine-run-isolated.sh build/win32/tests/ui_tests.exe \
  --gtest_also_run_disabled_tests --gtest_filter='PreviewPaintBench.*' | grep -E 'median|FAILED'
