#!/bin/bash
# End to end on a private X server with a compositor and a tray host: the wheel's panel stays
# out of the taskbar and the pager, and its glass is frosted: the sharp window behind it does
# not run through the petals. Where the window manager offers to blur behind windows, the
# panel asks it to, over the glass's outline.
# Usage: e2e_bureau.sh BUILD_DIR
set -u
source "$(dirname "$0")/../outils/x11_prive.sh" "${1:?build folder}"
ECHECS=0
echec() { echo "ÉCHEC : $*"; ECHECS=$((ECHECS + 1)); }
ok() { echo "ok : $*"; }
command -v display >/dev/null && command -v import >/dev/null || { echo "ÉCHEC : ImageMagick manque"; exit 1; }

# ecart_type IMAGE X Y: the standard deviation of the grey levels of a 24 × 24 square.
ecart_type() { convert "$1" -crop "24x24+$2+$3" +repage -colorspace Gray -format "%[fx:standard_deviation*255]" info:; }
# ouvrir X Y: the application started with its wheel open under the pointer at X, Y.
ouvrir() {
    xdotool mousemove "$1" "$2"
    rm -f "$JOURNAL"
    "$APP" --montrer >"$TMP/app.log" 2>&1 &
    APP_PID=$!
    PIDS+=($APP_PID)
    attendre 10 dans_journal "roue ouverte en " || { echec "la roue ne s’ouvre pas en $1,$2"; return 1; }
    attendre 5 roue_visible || echec "panneau invisible en $1,$2"
}
fermer() { kill "$APP_PID" 2>/dev/null; wait "$APP_PID" 2>/dev/null; }

# A window of sharp detail behind the wheel: a one-pixel checkerboard, as fine as text.
convert -size 600x400 pattern:gray50 "$TMP/motif.png"
display -geometry +340+200 "$TMP/motif.png" >/dev/null 2>&1 &
PIDS+=($!)
motif_visible() { xdotool search --onlyvisible --name "motif.png" >/dev/null 2>&1; }
attendre 10 motif_visible || { echec "la fenêtre du motif ne s’affiche pas"; exit 1; }
sleep 0.5
import -window root "$TMP/bureau.png"

# 1. The panel out of the taskbar and the pager; the glass frosted under the compositor.
ouvrir 640 400
W=$(panneau_roue)
ETATS=$(xprop -id "$W" _NET_WM_STATE 2>/dev/null)
echo "$ETATS" | grep -q "_NET_WM_STATE_SKIP_TASKBAR" && ok "hors de la barre des tâches" || echec "pas de SKIP_TASKBAR : $ETATS"
echo "$ETATS" | grep -q "_NET_WM_STATE_SKIP_PAGER" && ok "hors du sélecteur de bureaux" || echec "pas de SKIP_PAGER : $ETATS"
echo "$ETATS" | grep -q "_NET_WM_STATE_ABOVE" && ok "toujours au-dessus" || echec "plus au-dessus : $ETATS"
sleep 0.6
import -window root "$TMP/roue.png"
# Beside the top petal's label (it sits 125 pixels above the centre), on the petal's glass.
X=$((640 + 36)) Y=$((400 - 160))
AVANT=$(ecart_type "$TMP/bureau.png" $X $Y)
APRES=$(ecart_type "$TMP/roue.png" $X $Y)
if awk -v a="$AVANT" -v b="$APRES" 'BEGIN {exit !(a > 60 && b < a / 6)}'; then
    ok "verre dépoli : écart type $APRES sous le pétale contre $AVANT sur le bureau"
else
    echec "verre pas dépoli : écart type $APRES sous le pétale contre $AVANT sur le bureau"
fi
[ -n "${VEMO_CAPTURE:-}" ] && cp "$TMP/roue.png" "$VEMO_CAPTURE"
fermer

# 2. A window manager that lists the blur-behind hint: the panel asks for it over the glass
# (the disc, 184 pixels about its centre) and paints no snapshot of its own.
xprop -root -f _NET_SUPPORTED 32a -set _NET_SUPPORTED _KDE_NET_WM_BLUR_BEHIND_REGION
ouvrir 640 400
W=$(panneau_roue)
sleep 0.6
FLOU=$(xprop -id "$W" _KDE_NET_WM_BLUR_BEHIND_REGION 2>/dev/null)
# The rectangles x, y, width, height; their bounds make the disc's square.
BORNES=$(echo "$FLOU" | sed 's/.*= //' | tr -d ' ' | tr ',' '\n' | awk '
    NR % 4 == 1 {x = $1} NR % 4 == 2 {y = $1} NR % 4 == 3 {w = $1}
    NR % 4 == 0 {if (!n++ || x < x0) x0 = x; if (x + w > x1) x1 = x + w; if (n == 1 || y < y0) y0 = y; if (y + $1 > y1) y1 = y + $1}
    END {print x0, y0, x1, y1}')
if awk -v b="$BORNES" 'BEGIN {split(b, v, " "); exit !(v[3] - v[1] >= 360 && v[3] - v[1] <= 372 && v[4] - v[2] >= 360 && v[4] - v[2] <= 372)}'; then
    ok "flou d’arrière-plan demandé sur le disque ($BORNES)"
else
    echec "flou d’arrière-plan : $FLOU"
fi
fermer
xprop -root -remove _NET_SUPPORTED

if ((ECHECS > 0)); then
    echo "$ECHECS vérification(s) en échec"
    exit 1
fi
echo "toutes les vérifications passent"
