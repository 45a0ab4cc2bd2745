#!/usr/bin/env bash
# Sets up the machine, builds Zelvato and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build
export QTWEBENGINE_DISABLE_SANDBOX=1
exec build/app/program/zelvato "$@"
