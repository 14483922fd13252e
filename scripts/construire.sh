#!/usr/bin/env bash
# Configures and builds into build/ (or $VEMO_BUILD).
set -euo pipefail
racine=$(cd "$(dirname "$0")/.." && pwd)
build=${VEMO_BUILD:-$racine/build}
"$racine/scripts/dependances.sh"
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$racine" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=${VEMO_TYPE:-RelWithDebInfo}
fi
cmake --build "$build" -j "$(nproc)"
