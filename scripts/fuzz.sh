#!/usr/bin/env bash
# Builds the libFuzzer harnesses in tests/fuzz/ with clang (ASan+UBSan) and
# runs each for FUZZ_SECONDS (default 60) seconds: the history reader, the
# argument text, and the decode path (ProcessImage on any bytes at every
# scale). Exits non-zero on a finding; the crashing input is left in
# build/fuzz/. The corpora grow in build/fuzz/corpus-*/ from run to run.
# Usage: bash scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
seconds=${1:-${FUZZ_SECONDS:-60}}
out=build/fuzz
mkdir -p "$out"

# The pieces the harnesses reach: the history reader and writer, the drop
# list and path splits, the option labels, the text helpers, POSIX files; the
# decode path adds the pipeline, the effects and libjpeg.
common=(settings/output_settings.cpp platform/text.cpp platform/shared.cpp platform/posix/*.cpp)
sources_history_reader=(history/*.cpp batch/drop_list.cpp pipeline/file_name.cpp "${common[@]}")
sources_process_image=(pipeline/*.cpp effects/*.cpp "${common[@]}" -ljpeg)
flags=(-std=c++17 -g -O1 -I. -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined
       -pthread -Wall -Wextra)

# Seeds: a real history file (UTF-16LE) and a command line.
mkdir -p "$out/corpus-history_reader" "$out/corpus-argument_text"
printf '\xef\xbb\xbf2011/03/05 14:32:07\r\nC:\\写真\\\r\n画像数 2/3\r\n縮小率=1/4, カラー=あざやかx1, FF0000, コントラスト=自動調整, ぼかし=なし, 回転・反転=右回り, クオリティ=80\r\nふち:00FF00, まる（外側）, 厚め\r\n---------- 処理が中断されました -----------\r\n\r\nWelcome to Korvane_resize!\r\n2011/03/05 14:30:00\r\nB' \
  | iconv -f UTF-8 -t UTF-16LE > "$out/corpus-history_reader/seed"
printf '"C:\\Tools\\prog.exe" "C:\\p\\a.jpg" word "C:\\p\\b c.jpg" "' \
  | iconv -f UTF-8 -t UTF-16LE > "$out/corpus-argument_text/seed"

# Seeds for the decode path: small JPEGs of every coding the tools make.
seeds=$out/corpus-process_image
mkdir -p "$seeds"
python3 -c 'import sys; w,h=40,24; sys.stdout.buffer.write(b"P6 %d %d 255\n" % (w,h) + bytes((x*6+y*3*c)&255 for y in range(h) for x in range(w) for c in range(3)))' > "$out/seed.ppm"
cjpeg -quality 75 "$out/seed.ppm" > "$seeds/baseline.jpg"
cjpeg -progressive "$out/seed.ppm" > "$seeds/progressive.jpg"
cjpeg -arithmetic -sample 1x1 "$out/seed.ppm" > "$seeds/arithmetic.jpg"
cjpeg -restart 1B -sample 2x1 "$out/seed.ppm" > "$seeds/restart.jpg"
cjpeg -grayscale -progressive "$out/seed.ppm" > "$seeds/gray.jpg"

status=0
for harness in history_reader argument_text process_image; do
  echo "=== $harness: build"
  case $harness in
    process_image) sources=("${sources_process_image[@]}") ;;
    *) sources=("${sources_history_reader[@]}") ;;
  esac
  clang++ "${flags[@]}" "tests/fuzz/${harness}_fuzz.cpp" "${sources[@]}" -o "$out/$harness"
  echo "=== $harness: run for ${seconds}s"
  if ! (cd "$out" && "./$harness" -max_total_time="$seconds" -print_final_stats=1 \
          -max_len=65536 "corpus-$harness" 2>&1 | grep -E '^(Done|stat::|==|SUMMARY)|ERROR|crash-'); then
    status=1
  fi
done
exit $status
