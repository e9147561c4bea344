#!/usr/bin/env bash
# Sets up the machine (idempotent), builds the command-line converter and
# converts the bundled sample photos with the default options into a new
# time-stamped folder under build/, printing each result line.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset native-release >/dev/null
cmake --build --preset native-release >/dev/null
out=build/out/$(date +%Y_%m_%d_%H%M_%S)
mkdir -p "$out"
echo "Converting samples/*.jpg into $out"
./build/native-release/cli/korvane-resize --out "$out" samples/*.jpg
