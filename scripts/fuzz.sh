#!/usr/bin/env bash
# Builds the page writer fuzz target in build-fuzz/ (clang, libFuzzer, address and
# undefined-behaviour sanitizers: the ZELVATO_FUZZ option), then runs it.
# Usage: scripts/fuzz.sh [SECONDS]   (default 60)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
out=build-fuzz

cmake -S . -B "$out" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DZELVATO_FUZZ=ON -DZELVATO_BUILD_GUI=OFF -DZELVATO_BUILD_BENCH=OFF -DBUILD_TESTING=OFF
cmake --build "$out" --target page_writer_fuzz

mkdir -p "$out/corpus"
LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}" \
  "$out/tests/fuzz/page_writer_fuzz" -max_total_time="$seconds" -max_len=4096 -len_control=0 -timeout=10 \
  -rss_limit_mb=2048 -artifact_prefix="$out/" "$out/corpus"
