#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.
set -euo pipefail
racine=$(cd "$(dirname "$0")/.." && pwd)
build=${VEMO_BUILD:-$racine/build}
"$racine/scripts/construire.sh"
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
cd "$build"
ctest --output-on-failure -j "$(nproc)" --timeout 900
