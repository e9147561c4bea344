#!/usr/bin/env bash
# Builds the release tree and runs the benchmarks: the converter against the
# in-process decode+encode limit (ratios and peak memory), then, when the peer
# script is given (PEERS=path/to/peers.sh) and its tools are installed, the
# peer tools doing the same work on the same photo for comparison.
# Usage: bash bench/run.sh [PHOTO]
set -euo pipefail
cd "$(dirname "$0")/.."
PHOTO=${1:-samples/Kleiber_by_Lukas_Baubkus.jpg}
PEERS=${PEERS:-$(pwd)/../shared/bench/peers.sh}
cmake --preset native-release >/dev/null
cmake --build --preset native-release >/dev/null
echo "=== converter vs in-process limit"
./build/native-release/bench/pipeline_bench --benchmark_color=false "$PHOTO"
echo "=== effects on the 20-megapixel photo, as fractions of its decode in the same run"
./build/native-release/bench/effects_bench --benchmark_repetitions=3 --benchmark_format=json 2>/dev/null |
  python3 bench/effects_table.py
for b in build/native-release/bench/*_bench; do
  case "$(basename "$b")" in pipeline_bench | effects_bench) continue ;; esac
  echo "=== $(basename "$b")"
  "$b" --benchmark_color=false
done
if [ -n "${PEERS:-}" ] && [ -x "$PEERS" ]; then
  for s in 1 2 8; do
    echo "=== peers at 1/$s (whole processes)"
    "$PEERS" -n 5 -s "$s" "$PHOTO" || true
  done
fi
