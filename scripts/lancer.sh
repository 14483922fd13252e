#!/usr/bin/env bash
# Installs what is missing, builds, and runs the application with the arguments given.
set -euo pipefail
racine=$(cd "$(dirname "$0")/.." && pwd)
"$racine/scripts/construire.sh" >&2
exec "${VEMO_BUILD:-$racine/build}/vemo-vododod" "$@"
