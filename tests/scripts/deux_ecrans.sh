#!/usr/bin/env bash
# The two-screen case of the application's suite, on an offscreen platform given two screens
# side by side of different heights.
set -u
build=${1:?dossier de construction}
travail=$(mktemp -d)
trap 'rm -rf "$travail"' EXIT
cat >"$travail/ecrans.json" <<'JSON'
{"screens": [
  {"name": "gauche", "x": 0, "y": 0, "width": 1280, "height": 800, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1},
  {"name": "droite", "x": 1280, "y": 0, "width": 1024, "height": 700, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}
]}
JSON
sortie=$(QT_QPA_PLATFORM="offscreen:configfile=$travail/ecrans.json" "$build/tests/tests_application" \
    --gtest_filter='DeuxEcrans.*' 2>&1)
echo "$sortie" | tail -5
echo "$sortie" | grep -q "SKIPPED" && { echo "ÉCHEC : un seul écran vu"; exit 1; }
echo "$sortie" | grep -q "\[  PASSED  \] 1 test" || { echo "ÉCHEC"; exit 1; }
echo "toutes les vérifications passent"
