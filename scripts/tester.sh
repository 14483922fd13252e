#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test; then builds the parsers' fuzz entry
# points with clang and the sanitizers in a folder of their own and replays their corpus and
# reproducers through them, so that the clang build cannot break unseen.
set -euo pipefail
racine=$(cd "$(dirname "$0")/.." && pwd)
build=${VEMO_BUILD:-$racine/build}
fuzz=${VEMO_BUILD_FUZZ:-$racine/build-fuzz}
"$racine/scripts/construire.sh"
if [ ! -f "$fuzz/CMakeCache.txt" ]; then
  CC=clang CXX=clang++ cmake -S "$racine" -B "$fuzz" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVEMO_FUZZ=ON
fi
cmake --build "$fuzz" -j "$(nproc)" --target fuzz_cibles
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
statut=0
echo "Rejeu des entrées de fuzz sous AddressSanitizer (clang)" >&2
(cd "$fuzz" && ctest --output-on-failure -j "$(nproc)" -R '^fuzz_') || statut=1
(cd "$build" && ctest --output-on-failure -j "$(nproc)" --timeout 900) || statut=1
exit $statut
