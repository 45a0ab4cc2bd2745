#!/usr/bin/env bash
# Converts Japanese texts through the real main window under Xvfb (page files of
# one block each: a novel of 375,000 code units at 25 x 20, and 59,985 characters at 3 x 3;
# also loading the novel, the event loop's longest wait during the runs and Stop to idle)
# and prints the window's time beside zelvato-convert's and the engine's for the
# same text, measured in one run. Extra arguments go to the program:
#   scripts/bench-window.sh [--runs N] [--screenshots FOLDER]
set -euo pipefail
cd "$(dirname "$0")/.."
if [ ! -f build/build.ninja ]; then
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build build -j2 --target window_bench zelvato-convert
export QTWEBENGINE_DISABLE_SANDBOX=1
xvfb-run -a --server-args="-screen 0 1280x1024x24" build/tests/app/window_bench "$@"
