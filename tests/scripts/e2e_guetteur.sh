#!/bin/bash
# End to end on a private X server: the drag watcher sees every drag, even one that its
# source starts at the very press, and costs nothing at rest.
# Usage: e2e_guetteur.sh BUILD_DIR
set -u
source "$(dirname "$0")/../outils/x11_prive.sh" "${1:?build folder}"
ECHECS=0
echec() { echo "ÉCHEC : $*"; ECHECS=$((ECHECS + 1)); }
ok() { echo "ok : $*"; }

# Write system calls and context switches of every thread of the application.
ecritures() { awk '/^syscw/ {print $2}' "/proc/$APP_PID/io"; }
reveils() { cat /proc/"$APP_PID"/task/*/status | awk '/voluntary_ctxt_switches/ {s += $2} END {print s}'; }

ffmpeg -loglevel error -f lavfi -i testsrc=size=64x64 -frames:v 1 "$TMP/photo.png" || exit 1
"$APP" >"$TMP/app.log" 2>&1 &
APP_PID=$!
PIDS+=($APP_PID)
attendre 10 dans_journal "Vemo Vododod lancé" || { echec "pas de lancement"; cat "$TMP/app.log"; exit 1; }
dans_journal "XInput 2 absent" && echec "XInput 2 non vu sur Xvfb"

# 1. At rest: no request to the X server (no write at all), hardly a wake-up.
sleep 1
e0=$(ecritures)
r0=$(reveils)
sleep 5
e1=$(ecritures)
r1=$(reveils)
[ "$e1" = "$e0" ] && ok "au repos, aucune écriture en 5 s" || echec "au repos, $((e1 - e0)) écritures en 5 s"
(((r1 - r0) <= 5)) && ok "au repos, $((r1 - r0)) réveils en 5 s" || echec "au repos, $((r1 - r0)) réveils en 5 s"

# 2. Twenty drags that the source starts at the press itself, Shift held from the start:
# twenty openings of the wheel.
SOURCE_GLISSER_AUSSITOT=1 "$SOURCE_GLISSER" 100 300 "$TMP/photo.png" >"$TMP/source.log" 2>&1 &
PIDS+=($!)
attendre 10 grep -q prete "$TMP/source.log" || { echec "la source ne s’affiche pas"; exit 1; }
sleep 0.3
vues=0
for i in $(seq 20); do
    avant=$(ouvertures)
    xdotool mousemove 200 400
    xdotool keydown shift
    xdotool mousedown 1
    if attendre 2 plus_d_ouvertures_que "$avant"; then vues=$((vues + 1)); fi
    # Released in the wheel's centre, where nothing takes a drop.
    centre=$(grep -o "roue ouverte en [-0-9]*,[-0-9]*" "$JOURNAL" | tail -1 | sed 's/roue ouverte en //')
    # A busy machine may deliver the move late: a release before it would land on a petal.
    xdotool mousemove "${centre%,*}" "${centre#*,}"
    sleep 0.3
    xdotool mouseup 1
    xdotool keyup shift
    attendre 5 roue_cachee
done
[ "$vues" = 20 ] && ok "20 glisser immédiats, 20 ouvertures" || echec "$vues ouvertures pour 20 glisser immédiats"
departs=$(grep -c "^glisse " "$TMP/source.log")
[ "$departs" = 20 ] || echec "la source a commencé $departs glisser sur 20"
[ "$(grep -c "glisser commencé" "$JOURNAL")" = 20 ] && ok "« glisser commencé » une fois par glisser" \
    || echec "$(grep -c "glisser commencé" "$JOURNAL") « glisser commencé » pour 20 glisser"

# 3. Back at rest after the drags: quiet again.
sleep 1
e0=$(ecritures)
sleep 3
[ "$(ecritures)" = "$e0" ] && ok "de nouveau au repos après les glisser" || echec "le guetteur interroge encore après les glisser"

# 4. A plain click: no drag seen.
avant=$(grep -c "glisser commencé" "$JOURNAL")
xdotool mousemove 700 600 click 1
sleep 0.3
[ "$(grep -c "glisser commencé" "$JOURNAL")" = "$avant" ] && ok "un clic n’est pas un glisser" || echec "un clic compté comme glisser"

if ((ECHECS > 0)); then
    echo "--- journal"
    tail -40 "$JOURNAL"
    echo "$ECHECS vérification(s) en échec"
    exit 1
fi
echo "toutes les vérifications passent"
