#!/bin/bash
# The floating hint on an X server without a compositor (a plain window manager): its window
# is shaped to the bubble's rounded rectangle, so its corners show what is behind, not black,
# while the bubble itself is drawn.
# Usage: indice_sans_compositeur.sh BUILD_DIR
set -u
export SANS_COMPOSITEUR=1
source "$(dirname "$0")/../outils/x11_prive.sh" "${1:?build folder}"
GALERIE="$BUILD/tests/outils/galerie-design"
[ -x "$GALERIE" ] || { echo "ÉCHEC : $GALERIE manque"; exit 1; }
command -v convert >/dev/null || { echo "ÉCHEC : convert manque"; exit 1; }
ECHECS=0
echec() { echo "ÉCHEC : $*"; ECHECS=$((ECHECS + 1)); }
ok() { echo "ok : $*"; }

"$GALERIE" >"$TMP/galerie.out" 2>"$TMP/galerie.err" &
PIDS+=($!)
pret() { grep -q '^pret' "$TMP/galerie.out"; }
attendre 20 pret || { echo "ÉCHEC : la galerie ne s’ouvre pas"; cat "$TMP/galerie.err"; exit 1; }
sleep 0.3
import -window root "$TMP/avant.png" || { echo "ÉCHEC : pas de capture"; exit 1; }

xdotool mousemove $(grep '^sonde onglet ' "$TMP/galerie.out" | cut -d' ' -f3-)
montre() { grep -q '^indice ' "$TMP/galerie.out"; }
attendre 5 montre || { echo "ÉCHEC : aucun indice"; exit 1; }
sleep 0.3
INFO=$(xwininfo -name vemo-indice 2>/dev/null)
X=$(sed -n 's/.*Absolute upper-left X: *//p' <<<"$INFO")
Y=$(sed -n 's/.*Absolute upper-left Y: *//p' <<<"$INFO")
W=$(sed -n 's/.*Width: *//p' <<<"$INFO")
H=$(sed -n 's/.*Height: *//p' <<<"$INFO")
import -window root "$TMP/apres.png" || { echo "ÉCHEC : pas de capture"; exit 1; }

rgb() { convert "$1" -format "%[fx:int(255*p{$2,$3}.r)] %[fx:int(255*p{$2,$3}.g)] %[fx:int(255*p{$2,$3}.b)]" info:; }
# meme X Y: the pixel is what was there before the hint (within 6 on each channel).
meme() {
    local a b
    read -r ar ag ab <<<"$(rgb "$TMP/avant.png" "$1" "$2")"
    read -r br bg bb <<<"$(rgb "$TMP/apres.png" "$1" "$2")"
    ((ar - br <= 6 && br - ar <= 6 && ag - bg <= 6 && bg - ag <= 6 && ab - bb <= 6 && bb - ab <= 6))
}
for coin in "$((X + 1)) $((Y + 1))" "$((X + W - 2)) $((Y + 1))" "$((X + 1)) $((Y + H - 2))" "$((X + W - 2)) $((Y + H - 2))"; do
    if meme $coin; then
        ok "coin $coin : le fond derrière ($(rgb "$TMP/apres.png" $coin))"
    else
        echec "coin $coin : $(rgb "$TMP/apres.png" $coin) au lieu de $(rgb "$TMP/avant.png" $coin)"
    fi
done
# Inside the rounding, the bubble is drawn: its border and fill change what was there.
if meme $((X + W / 2)) $((Y + 1)) && meme $((X + W / 2)) $((Y + H / 2)); then
    echec "la bulle n’est pas dessinée"
else
    ok "la bulle est dessinée (${W}×$H à $X,$Y)"
fi

if ((ECHECS)); then
    echo "$ECHECS échec(s)"
    exit 1
fi
echo "indice sans compositeur : tout va bien"
