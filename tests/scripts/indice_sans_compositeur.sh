#!/bin/bash
# The floating hint on an X server without a compositor (a plain window manager): its window
# is shaped to the bubble's rounded rectangle, so its corners show what is behind, not black,
# with no dark fringe along the rounding, while the bubble itself is drawn.
# Usage: indice_sans_compositeur.sh BUILD_DIR
set -u
export SANS_COMPOSITEUR=1
source "$(dirname "$0")/../outils/x11_prive.sh" "${1:?build folder}"
source "$(dirname "$0")/../outils/galerie.sh"
command -v convert >/dev/null || { echo "ÉCHEC : convert manque"; exit 1; }

ouvrir_galerie
sleep 0.3
import -window root "$TMP/avant.png" || { echo "ÉCHEC : pas de capture"; exit 1; }

xdotool mousemove $(grep '^sonde onglet ' "$TMP/galerie.out" | cut -d' ' -f3-)
attendre 5 indice_montre || { echo "ÉCHEC : aucun indice"; exit 1; }
sleep 0.3
lire_indice

# meme X Y: the pixel is what was there before the hint (within 6 on each channel).
meme() {
    local a b
    read -r ar ag ab <<<"$(rgb "$TMP/avant.png" "$1" "$2")"
    read -r br bg bb <<<"$(rgb "$TMP/apres.png" "$1" "$2")"
    ((ar - br <= 6 && br - ar <= 6 && ag - bg <= 6 && bg - ag <= 6 && ab - bb <= 6 && bb - ab <= 6))
}
# The bubble is drawn when its border shows on the top and left edges, both halfway along, in
# a colour of its own against the fill (a window never painted is all one colour). The fill
# alone is no proof: what is behind is near-white too, and animated.
bordee() {
    ! meme $((X + W / 2)) "$Y" && ! meme "$X" $((Y + H / 2)) \
        && [ "$(rgb "$TMP/apres.png" $((X + W / 2)) "$Y")" != "$(rgb "$TMP/apres.png" $((X + W / 2)) $((Y + H / 2)))" ]
}
# The capture once the bubble has been painted: a loaded machine maps the window before it
# draws into it.
dessinee() { import -window root "$TMP/apres.png" && bordee; }
attendre 5 dessinee
for coin in "$((X + 1)) $((Y + 1))" "$((X + W - 2)) $((Y + 1))" "$((X + 1)) $((Y + H - 2))" "$((X + W - 2)) $((Y + H - 2))"; do
    if meme $coin; then
        ok "coin $coin : le fond derrière ($(rgb "$TMP/apres.png" $coin))"
    else
        echec "coin $coin : $(rgb "$TMP/apres.png" $coin) au lieu de $(rgb "$TMP/avant.png" $coin)"
    fi
done
# Along the rounding, no dark fringe: each pixel on or outside the arc of each 16-pixel corner
# is what was behind, or no darker than the bubble's own border and fill.
somme() { local r g b; read -r r g b <<<"$(rgb "$TMP/apres.png" "$1" "$2")"; echo $((r + g + b)); }
BORD=$(somme $((X + W / 2)) "$Y")
FOND=$(somme $((X + 4)) $((Y + H / 2)))
PLANCHER=$(((BORD < FOND ? BORD : FOND) - 30))
# pixels IMAGE X Y: "x y r+g+b" for the 16 × 16 square at X Y.
pixels() { convert "$1" -crop "16x16+$2+$3" +repage -depth 8 txt:- | awk -F'[,:() ]+' 'NR > 1 { print $1, $2, $3 + $4 + $5 }'; }
SOMBRES=0
# Each corner's square and where its arc's centre lies in it.
for coin in "$X $Y 16 16" "$((X + W - 16)) $Y 0 16" "$X $((Y + H - 16)) 16 0" "$((X + W - 16)) $((Y + H - 16)) 0 0"; do
    read -r cx cy ox oy <<<"$coin"
    SOMBRES=$((SOMBRES + $(paste -d' ' <(pixels "$TMP/avant.png" "$cx" "$cy") <(pixels "$TMP/apres.png" "$cx" "$cy") \
        | awk -v p="$PLANCHER" -v ox="$ox" -v oy="$oy" '{
            dx = $1 + 0.5 - ox; dy = $2 + 0.5 - oy
            if (dx * dx + dy * dy < 14 * 14) next
            d = $3 - $6; if (d < 0) d = -d
            if (d > 18 && $6 < p) n++ } END { print n + 0 }')))
done
if ((SOMBRES == 0)); then ok "pas de liseré sombre aux coins (plancher $PLANCHER)"; else echec "$SOMBRES pixels sombres le long des coins (sous $PLANCHER)"; fi

# Inside the rounding, the bubble is drawn.
if bordee; then
    ok "la bulle est dessinée (${W}×$H à $X,$Y)"
else
    echec "la bulle n’est pas dessinée"
fi

bilan "indice sans compositeur"
