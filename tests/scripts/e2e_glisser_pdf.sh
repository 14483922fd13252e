#!/bin/bash
# End to end on a private X server: real Shift-drags of PDFs. A few kilobytes declaring eight
# million cross-reference entries must not hold the wheel: a drop made at once on the JPG petal
# is taken. A PDF whose table is broken gets « Séparer » while the wheel is open, and a drop
# there splits it.
# Usage: e2e_glisser_pdf.sh BUILD_DIR
set -u
source "$(dirname "$0")/../outils/x11_prive.sh" "${1:?build folder}"
source "$(dirname "$0")/../outils/verifications.sh"

GEANTS="$SOURCE_DIR/tests/outils/pdf_geants.py"
python3 "$GEANTS" table "$TMP/millions.pdf" 8000000 && python3 "$GEANTS" casse "$TMP/casse.pdf" || exit 1

"$APP" >"$TMP/app.log" 2>&1 &
APP_PID=$!
PIDS+=($APP_PID)
attendre 10 dans_journal "Vemo Vododod lancé" || { echec "pas de « Vemo Vododod lancé »"; cat "$TMP/app.log"; exit 1; }

# glisser FICHIER: a Shift-drag from another application until the wheel opens; its centre
# in CX, CY.
glisser() {
    "$SOURCE_GLISSER" 100 300 "$1" >"$TMP/source.log" 2>&1 &
    SOURCE_PID=$!
    PIDS+=($SOURCE_PID)
    attendre 10 grep -q prete "$TMP/source.log" || { echec "la source ne s’affiche pas"; exit 1; }
    sleep 0.3
    local avant
    avant=$(ouvertures)
    commencer_glisser
    verifier 5 "roue ouverte pour $(basename "$1")" plus_d_ouvertures_que "$avant"
    local centre
    centre=$(grep -o "roue ouverte en [-0-9]*,[-0-9]*" "$JOURNAL" | tail -1 | sed 's/roue ouverte en //')
    CX=${centre%,*}
    CY=${centre#*,}
}
lacher() {
    xdotool mouseup 1
    xdotool keyup shift
    kill "$SOURCE_PID" 2>/dev/null
}

# 1. Straight onto the JPG petal, the first of the ring, and dropped there at once.
glisser "$TMP/millions.pdf"
bouger "$CX" $((CY - 125))
lacher
verifier 5 "le dépôt pendant le compte des pages est pris" dans_journal "déposé [\"millions.pdf\"] sur jpg"
verifier 5 "la roue se referme" roue_cachee

# 2. Hovering while the pages are counted; « Séparer » is the fifth of six petals then.
glisser "$TMP/casse.pdf"
bouger "$CX" $((CY - 125))
sleep 2
bouger $((CX - 108)) $((CY + 62))
sleep 0.2
bouger $((CX - 110)) $((CY + 63))
lacher
verifier 5 "« Séparer » offert et pris" dans_journal "déposé [\"casse.pdf\"] sur separer"
verifier 20 "trois pages séparées" test -s "$TMP/casse page 3.pdf"

conclure
