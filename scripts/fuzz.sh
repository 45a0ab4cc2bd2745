#!/usr/bin/env bash
# Builds the page writer fuzz target with clang and libFuzzer (address and
# undefined-behaviour sanitizers) in build-fuzz/, then runs it.
# Usage: scripts/fuzz.sh [SECONDS]   (default 60)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
out=build-fuzz
mkdir -p "$out/generated" "$out/corpus"

# The version header, from the one version declaration in the top CMakeLists.txt.
version=$(sed -n 's/^project(Zelvato VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
IFS=. read -r major minor patch <<<"$version"
sed -e "s/@PROJECT_VERSION_MAJOR@/$major/g" -e "s/@PROJECT_VERSION_MINOR@/$minor/g" \
    -e "s/@PROJECT_VERSION_PATCH@/$patch/g" engine/zelvato_version.h.in >"$out/generated/zelvato_version.h"

clang++ -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
  -Iengine -I"$out/generated" engine/*.cpp tests/fuzz/page_writer_fuzz.cpp -o "$out/page_writer_fuzz"

"$out/page_writer_fuzz" -max_total_time="$seconds" -max_len=4096 -len_control=0 -timeout=10 -rss_limit_mb=2048 \
  -artifact_prefix="$out/" "$out/corpus"
