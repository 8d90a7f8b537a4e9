#!/usr/bin/env bash
# Sets up, builds and starts the game; arguments go to the game (for example --server).
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
bash tools/build.sh build -DCMAKE_BUILD_TYPE=RelWithDebInfo > build.log 2>&1 || { tail -50 build.log; exit 1; }
exec build/bin/zellwar "$@"
