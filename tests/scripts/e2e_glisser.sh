#!/bin/bash
# End to end on a private X server: a real Shift-drag of a PNG from another application
# opens the wheel, a drop on the JPG petal converts it beside its source, a drop on nothing
# closes the wheel, and "--convertir=" converts without a drag.
# Usage: e2e_glisser.sh BUILD_DIR
set -u
source "$(dirname "$0")/../outils/x11_prive.sh" "${1:?build folder}"
source "$(dirname "$0")/../outils/verifications.sh"

icone_dans_la_zone() {
    # The tray host reparents the icon's window under its "panel" window.
    xwininfo -root -tree 2>/dev/null | sed -n '/"panel"/,/^     0x/p' | grep -q '"vemo-vododod"'
}

# A real PNG, and its digest to prove it is left alone.
ffmpeg -loglevel error -f lavfi -i testsrc=size=160x120 -frames:v 1 "$TMP/photo.png" || exit 1
AVANT=$(sha256sum <"$TMP/photo.png")

"$APP" >"$TMP/app.log" 2>&1 &
APP_PID=$!
PIDS+=($APP_PID)
attendre 10 dans_journal "Vemo Vododod lancé" || { echec "pas de « Vemo Vododod lancé »"; cat "$TMP/app.log"; exit 1; }
ok "lancée"
verifier 5 "icône dans la zone de notification" icone_dans_la_zone
# A click on the icon opens its menu: a new visible window of the application.
menu_visible() {
    local w
    for w in $(xdotool search --onlyvisible --pid "$APP_PID" 2>/dev/null); do
        xwininfo -id "$w" 2>/dev/null | grep -q "Width: 640" && continue
        xwininfo -id "$w" 2>/dev/null | grep -q "Height: \([5-9][0-9]\|[1-9][0-9][0-9]\)" && return 0
    done
    return 1
}
menu_ferme() { ! menu_visible; }
ICONE=$(xwininfo -root -tree | sed -n '/"panel"/,/^     0x/p' | grep '"vemo-vododod"' | grep -o '+[0-9]*+[0-9]*$')
if [ -n "$ICONE" ]; then
    IX=$(echo "$ICONE" | cut -d+ -f2)
    IY=$(echo "$ICONE" | cut -d+ -f3)
    xdotool mousemove $((IX + 11)) $((IY + 11)) click 1
    verifier 3 "un clic sur l’icône ouvre le menu" menu_visible
    xdotool key Escape
    verifier 3 "Échap referme le menu" menu_ferme
fi

"$SOURCE_GLISSER" 100 300 "$TMP/photo.png" >"$TMP/source.log" 2>&1 &
PIDS+=($!)
attendre 10 grep -q prete "$TMP/source.log" || { echec "la source ne s’affiche pas"; exit 1; }
sleep 0.3

# 1. Press on the source, drag, hold Shift: the wheel opens under the pointer.
commencer_glisser
verifier 5 "glisser commencé" dans_journal "glisser commencé"
verifier 5 "roue ouverte" dans_journal "roue ouverte en "
verifier 3 "roue visible" roue_visible
# VEMO_CAPTURE=file.png keeps a picture of the screen with the wheel open.
if [ -n "${VEMO_CAPTURE:-}" ]; then sleep 0.4; import -window root "$VEMO_CAPTURE"; fi
CENTRE=$(grep -o "roue ouverte en [-0-9]*,[-0-9]*" "$JOURNAL" | tail -1 | sed 's/roue ouverte en //')
CX=${CENTRE%,*}
CY=${CENTRE#*,}
# 2. The JPG petal is the first of a PNG's ring: straight above the centre.
bouger "$CX" $((CY - 125))
sleep 0.1
bouger "$CX" $((CY - 128))
sleep 0.1
xdotool mouseup 1
xdotool keyup shift
verifier 10 "déposé sur jpg" dans_journal "déposé [\"photo.png\"] sur jpg"
# This one and the next wait for the image converter.
fini() { dans_journal "créé $1" || dans_journal "échec : "; }
attendre 20 fini photo.jpg
verifier 0 "créé photo.jpg" dans_journal "créé photo.jpg"
if [ -s "$TMP/photo.jpg" ] && file -b "$TMP/photo.jpg" | grep -q "JPEG image data"; then
    ok "JPG écrit à côté du PNG"
else
    echec "pas de JPG lisible à côté du PNG"
fi
[ "$(sha256sum <"$TMP/photo.png")" = "$AVANT" ] && ok "source intacte" || echec "la source a changé"
verifier 5 "la roue se referme après le travail" roue_cachee

# 3. A drag released on nothing: the wheel closes.
AVANT_OUVERTURES=$(ouvertures)
xdotool mousemove 200 400
sleep 0.1
xdotool mousedown 1
sleep 0.1
xdotool keydown shift
bouger 500 450
verifier 5 "roue rouverte" plus_d_ouvertures_que "$AVANT_OUVERTURES"
verifier 3 "roue visible" roue_visible
# Back to the wheel's centre, where nothing takes a drop.
CENTRE=$(grep -o "roue ouverte en [-0-9]*,[-0-9]*" "$JOURNAL" | tail -1 | sed 's/roue ouverte en //')
bouger "${CENTRE%,*}" "${CENTRE#*,}"
sleep 0.1
DEPOTS=$(grep -c "déposé " "$JOURNAL")
xdotool mouseup 1
xdotool keyup shift
verifier 3 "un dépôt sur rien referme la roue" roue_cachee
[ "$(grep -c "déposé " "$JOURNAL")" = "$DEPOTS" ] && ok "rien n’est déposé au centre" || echec "un dépôt au centre a été pris"
kill "$APP_PID" 2>/dev/null
wait "$APP_PID" 2>/dev/null

# 4. "--convertir=" converts 0.6 s after the launch, without a drag.
mkdir -p "$TMP/b"
cp "$TMP/photo.png" "$TMP/b/image.png"
"$APP" "--convertir=jpg:$TMP/b/image.png" >"$TMP/app2.log" 2>&1 &
APP_PID=$!
PIDS+=($APP_PID)
verifier 10 "--convertir= dépose sur jpg" dans_journal "déposé [\"image.png\"] sur jpg"
attendre 20 fini image.jpg
verifier 0 "--convertir= crée image.jpg" dans_journal "créé image.jpg"

conclure
