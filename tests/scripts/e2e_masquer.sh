#!/bin/bash
# End to end on a private X server: "--masquer=" on a picture of text proposes zones over the
# address and the number, Return writes « (masquée) » whose address no longer reads;
# "--annoter=" with an arrow traced by the mouse and a text typed, Return writes « (annotée) »
# that differs from the photo only around the marks; Escape in a text drops it.
# Usage: e2e_masquer.sh BUILD_DIR
set -u
source "$(dirname "$0")/../outils/x11_prive.sh" "${1:?build folder}"
source "$(dirname "$0")/../outils/verifications.sh"
lire() { OMP_THREAD_LIMIT=1 tesseract "$1" stdout -l fra+eng 2>/dev/null; }  # one thread: no crawl when busy
# glisser X0 Y0 X1 Y1: button down, small steps, button up.
glisser() {
    xdotool mousemove "$1" "$2" mousedown 1
    for i in $(seq 1 10); do
        xdotool mousemove $(($1 + ($3 - $1) * i / 10)) $(($2 + ($4 - $2) * i / 10))
        sleep 0.03
    done
    sleep 0.05
    xdotool mouseup 1
}

convert -size 1200x400 xc:white -font DejaVu-Sans -pointsize 40 -fill black \
    -annotate +60+120 "Écrivez à jean.dupont@exemple.fr demain" \
    -annotate +60+300 "Appelez le 06 12 34 56 78 ce soir" "$TMP/texte.png" || exit 1
ffmpeg -loglevel error -f lavfi -i testsrc2=size=1200x800 -frames:v 1 "$TMP/photo.png" || exit 1
AVANT=$(sha256sum <"$TMP/texte.png")
lire "$TMP/texte.png" | grep -q dupont || echec "tesseract ne lit pas l’adresse de départ"

# 1. The mask window: the text is read, zones proposed; Return writes the masked picture.
xdotool mousemove 640 400
lancer "--masquer=$TMP/texte.png" && {
    sleep 3  # the text is read when the window opens
    xdotool key Return
    verifier 15 "créé texte (masquée).png" dans_journal "créé texte (masquée).png"
    LU=$(lire "$TMP/texte (masquée).png")
    if echo "$LU" | grep -q dupont; then echec "l’adresse se lit encore : $LU"; else ok "l’adresse ne se lit plus"; fi
    if echo "$LU" | grep -q "34 56"; then echec "le numéro se lit encore"; else ok "le numéro ne se lit plus"; fi
    echo "$LU" | grep -q demain && ok "le reste se lit" || echec "le reste ne se lit plus : $LU"
    verifier 3 "la fenêtre se ferme" sans_fenetre
    arreter
}

# 2. The annotate window: an arrow across the canvas, then a text dropped with Escape and one
# kept with Return; Return again saves.
xdotool mousemove 640 400
lancer "--annoter=$TMP/photo.png" && {
    CX=$((WX + 310)); CY=$((WY + 310))  # the canvas's centre: photo pixel (600, 400)
    glisser $((CX - 150)) "$CY" $((CX + 150)) "$CY"
    sleep 0.3
    xdotool mousemove $((WX + ${TEXTE_X:-108})) $((WY + 100)) click 1  # the "Texte" tool, third symbol
    sleep 0.3
    xdotool mousemove $((CX - 100)) $((CY - 100)) click 1
    sleep 0.4
    xdotool type --delay 40 "Perdu"
    xdotool key Escape
    sleep 0.3
    fenetre && ok "Échap dans un texte garde la fenêtre" || echec "Échap dans un texte a fermé la fenêtre"
    xdotool mousemove $((CX - 100)) $((CY + 40)) click 1
    sleep 0.4
    xdotool type --delay 40 "Bonjour"
    xdotool key Return
    sleep 0.3
    xdotool key Return
    verifier 15 "créé photo (annotée).png" dans_journal "créé photo (annotée).png"
    ANNOTEE="$TMP/photo (annotée).png"
    # Rows 0 to 300 hold no mark (the dropped text stood there): they must be the photo's.
    DIFF=$(compare -metric AE "$TMP/photo.png[1200x300+0+0]" "$ANNOTEE[1200x300+0+0]" null: 2>&1)
    [ "$DIFF" = "0" ] && ok "rien d’autre n’a changé (texte abandonné compris)" || echec "$DIFF pixels changés hors des marques"
    DIFF=$(compare -metric AE "$TMP/photo.png" "$ANNOTEE" null: 2>&1)
    [ "${DIFF:-0}" -gt 2000 ] 2>/dev/null && ok "flèche et texte peints ($DIFF pixels)" || echec "marques absentes ($DIFF pixels)"
    # The text stands right of photo pixel (362, 495), where the click was.
    DIFF=$(compare -metric AE "$TMP/photo.png[400x80+340+480]" "$ANNOTEE[400x80+340+480]" null: 2>&1)
    [ "${DIFF:-0}" -gt 500 ] 2>/dev/null && ok "texte peint où l’on a cliqué ($DIFF pixels)" || echec "texte absent ($DIFF pixels)"
    arreter
}

[ "$(sha256sum <"$TMP/texte.png")" = "$AVANT" ] && ok "source intacte" || echec "la source a changé"
conclure
