#!/usr/bin/env bash
# Installs the build dependencies, builds everything in a fresh folder and runs the whole test suite.
# Usage: scripts/test.sh [BUILD_DIR]   (default: build-test)
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
build="${1:-build-test}"
rm -rf "$build"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j2
ctest --test-dir "$build" --output-on-failure -j2
