#!/usr/bin/env bash
# Installs the build dependencies, builds the tool and runs its main job on a built-in demo installation.
# Usage: scripts/demo.sh [BUILD_DIR]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
build="${1:-build}"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2
runner="$build/app/kv8mtn-demo"
if [ ! -x "$runner" ]; then
  echo "The demo installation is not there yet: the upgrade console has not been built so far."
  echo "What exists now is the foundation (helpers, paths, profile file, user-interface port); run scripts/test.sh."
  exit 2
fi
exec "$runner" "$@"
