#!/bin/bash
# Time from the "--rogner=" option to the crop window on screen, on a private X server:
# from the launch line in the log ("Vemo Vododod lancé", after which the options are read)
# to the window mapped, and from the process's start. Five launches, medians.
# Usage: bench/fenetres.sh BUILD_DIR
set -u
source "$(dirname "$0")/../tests/outils/x11_prive.sh" "${1:?build folder}"

ms_du_jour() { echo $((($(date +%s%N) / 1000000) % 86400000)); }
en_ms() { local h=${1:0:2} m=${1:3:2} s=${1:6:2} f=${1:9:3}; echo $(((10#$h * 3600 + 10#$m * 60 + 10#$s) * 1000 + 10#$f)); }
mediane() { sort -n | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }
# Mapped windows of a process, asked of the server directly.
fenetre_visible() { xdotool search --onlyvisible --pid "$1" >/dev/null 2>&1; }

ffmpeg -loglevel error -f lavfi -i testsrc2=size=4000x3000 -frames:v 1 "$TMP/photo.jpg" || exit 1
xdotool mousemove 640 400
for i in 1 2 3 4 5; do
    rm -f "$JOURNAL"
    t0=$(ms_du_jour)
    "$APP" "--rogner=$TMP/photo.jpg" >/dev/null 2>&1 &
    pid=$!
    PIDS+=($pid)
    until fenetre_visible "$pid"; do :; done
    t1=$(ms_du_jour)
    attendre 5 dans_journal "Vemo Vododod lancé"
    lance=$(en_ms "$(grep "Vemo Vododod lancé" "$JOURNAL" | cut -c1-12)")
    echo "$((t1 - lance)) $((t1 - t0))"
    kill "$pid"
    wait "$pid" 2>/dev/null
done >"$TMP/mesures"
echo "option → fenêtre affichée : médiane $(cut -d' ' -f1 "$TMP/mesures" | mediane) ms (objectif < 150 ms)"
echo "lancement du processus → fenêtre affichée : médiane $(cut -d' ' -f2 "$TMP/mesures" | mediane) ms"
