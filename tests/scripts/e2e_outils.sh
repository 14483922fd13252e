#!/bin/bash
# End to end on a private X server: "--rogner=" opens the crop window under the pointer, a
# click on the square format and Return write a square « (rognée) » file, Escape closes
# without a file; "--lumiere=" with colours at −1 and Return writes a grey photo; a window
# closed while its save runs still records the file.
# Usage: e2e_outils.sh BUILD_DIR
set -u
source "$(dirname "$0")/../outils/x11_prive.sh" "${1:?build folder}"
source "$(dirname "$0")/../outils/verifications.sh"
dimensions() { ffprobe -v error -select_streams v:0 -show_entries stream=width,height -of csv=p=0 "$1"; }

ffmpeg -loglevel error -f lavfi -i testsrc2=size=1600x1200 -frames:v 1 "$TMP/photo.jpg" || exit 1
ffmpeg -loglevel error -f lavfi -i testsrc2=size=6000x4000 -frames:v 1 -q:v 2 "$TMP/grande.jpg" || exit 1
AVANT=$(sha256sum <"$TMP/photo.jpg")

# 1. The crop window opens centred on the pointer; square, then Return.
xdotool mousemove 500 400
lancer "--rogner=$TMP/photo.jpg" && {
    if ((WX + 310 == 500)) && ((WY + WH / 2 - 400 <= 1)) && ((400 - WY - WH / 2 <= 1)); then
        ok "fenêtre sous le pointeur ($WX,$WY, $WH de haut)"
    else
        echec "fenêtre en $WX,$WY ($WH de haut), pas centrée sur 500,400"
    fi
    # "Carré", second of the formats at the start of the bottom row.
    xdotool mousemove $((WX + 105)) $((WY + WH - 34)) click 1
    sleep 0.5
    xdotool key Return
    verifier 10 "créé photo (rognée).jpg" dans_journal "créé photo (rognée).jpg"
    [ "$(dimensions "$TMP/photo (rognée).jpg")" = "1200,1200" ] && ok "rognée au carré" \
        || echec "pas un carré de 1200 : $(dimensions "$TMP/photo (rognée).jpg")"
    verifier 3 "la fenêtre se ferme après l’enregistrement" sans_fenetre
    arreter
}

# 2. Escape closes without writing anything.
lancer "--rogner=$TMP/photo.jpg" && {
    AVANT_FICHIERS=$(ls "$TMP" | wc -l)
    xdotool key Escape
    verifier 3 "Échap ferme la fenêtre" sans_fenetre
    sleep 0.5
    [ "$(ls "$TMP" | wc -l)" = "$AVANT_FICHIERS" ] && ok "Échap n’écrit rien" || echec "Échap a écrit un fichier"
    arreter
}

# 3. The light window: colours to −1 (the third slider, Home), then Return: a grey photo.
xdotool mousemove 640 400
lancer "--lumiere=$TMP/photo.jpg" && {
    xdotool mousemove $((WX + 331)) $((WY + 449)) click 1
    sleep 0.2
    xdotool key Home
    sleep 0.3
    xdotool key Return
    verifier 10 "créé photo (retouchée).jpg" dans_journal "créé photo (retouchée).jpg"
    SATURATION=$(convert "$TMP/photo (retouchée).jpg" -colorspace HSL -channel G -separate +channel -format '%[fx:maxima]' info: 2>/dev/null)
    awk -v s="${SATURATION:-1}" 'BEGIN {exit !(s < 0.03)}' && ok "photo grise (saturation $SATURATION)" \
        || echec "photo pas grise (saturation ${SATURATION:-?})"
    arreter
}

# 4. A window closed while its save runs: the file is still written and recorded.
lancer "--lumiere=$TMP/grande.jpg" && {
    xdotool key Return
    sleep 0.05
    xdotool key Escape
    verifier 3 "Annuler ferme la fenêtre pendant l’enregistrement" sans_fenetre
    verifier 20 "créé grande (retouchée).jpg" dans_journal "créé grande (retouchée).jpg"
    [ "$(dimensions "$TMP/grande (retouchée).jpg")" = "6000,4000" ] && ok "enregistrée en entier" || echec "image incomplète"
    kill -0 "$APP_PID" 2>/dev/null && ok "l’application tourne toujours" || echec "l’application s’est arrêtée"
    arreter
}
# 5. The wheel's internal tool, through "--retoucher=": the window opens 0.3 s later.
"$APP" "--retoucher=recadrer:$TMP/photo.jpg" >>"$TMP/app.log" 2>&1 &
APP_PID=$!
PIDS+=($APP_PID)
verifier 10 "recadrer : fenêtre de Vododod" dans_journal "sur Modifier → Recadrer : fenêtre de Vododod"
verifier 5 "la fenêtre de rognage s’ouvre" fenetre
arreter

[ "$(sha256sum <"$TMP/photo.jpg")" = "$AVANT" ] && ok "source intacte" || echec "la source a changé"

conclure
