#!/usr/bin/env bash
# Sets up the machine, builds everything and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build
export QTWEBENGINE_DISABLE_SANDBOX=1
xvfb-run -a --server-args="-screen 0 1280x1024x24" \
  ctest --test-dir build --output-on-failure --timeout 300 -j2
