#!/bin/bash
# The gallery's two tab bars read through AT-SPI on a private X server and accessibility bus,
# as a screen reader reads them: every painted tab is a page tab of a page tab list with its
# name, its description (the hint's detail), and the selected state on the chosen one only;
# choosing another tab moves that state. The commit field is read by its title, a segmented
# row by its segments alone, and the mascots, mere decorations, are nowhere in the tree.
# Usage: galerie_accessible.sh BUILD_DIR
set -u
source "$(dirname "$0")/../outils/x11_prive.sh" "${1:?build folder}"
source "$(dirname "$0")/../outils/galerie.sh"
source "$(dirname "$0")/../outils/bus_accessible.sh"

ouvrir_galerie

lire() { /usr/bin/python3 "$LECTEUR" galerie-design >"$TMP/arbre.txt" 2>"$TMP/arbre.err"; }
onglets_lus() { lire && [ "$(wc -l <"$TMP/arbre.txt")" -ge 14 ]; }
if ! attendre 20 onglets_lus; then
    echo "ÉCHEC : arbre accessible illisible"
    cat "$TMP/arbre.err" "$TMP/arbre.txt"
    exit 1
fi
cat "$TMP/arbre.txt"

# ligne NOM ÉTATS DESCRIPTION: the tab NOM appears in both columns (light and dark) as a page
# tab of a page tab list, with those states and that description.
ligne() {
    local n
    n=$(grep -c "^$1 | page tab | $2 | $3 | liste page tab list " "$TMP/arbre.txt")
    if ((n == 2)); then ok "« $1, onglet${2:+, $2} » – $3"; else echec "« $1 » lu $n fois au lieu de 2 (états $2, description $3)"; fi
}
ligne Images "selected,selectable,showing" "Les photos et les dessins"
ligne Vidéos "selectable,showing" "Les films et les GIF"
ligne Archives "selectable,showing" "Les fichiers zip"
ligne Photo "selected,selectable,showing" "Une image"
ligne Vidéo "selectable,showing" "Un film"
ligne Son "selectable,showing" "Un son"
# The first tab of each bar is the selected one, and no other is.
if (($(grep -c ' | selected,' "$TMP/arbre.txt") == 4)); then ok "un onglet choisi par barre"; else echec "onglets choisis : $(grep -c ' | selected,' "$TMP/arbre.txt")"; fi

# A click on the light Reverie bar's third tab: the selected state moves to « Son ».
read -r SX SY <<<"$(grep '^sonde clair-reverie-son ' "$TMP/galerie.out" | cut -d' ' -f3-)"
xdotool mousemove "$SX" "$SY" click 1
son_choisi() { lire && grep -q "^Son | page tab | selected," "$TMP/arbre.txt"; }
if attendre 10 son_choisi && (($(grep -c "^Photo | page tab | selected," "$TMP/arbre.txt") == 1)); then
    ok "le choix de « Son » se lit aussitôt"
else
    echec "le choix ne se lit pas"
    cat "$TMP/arbre.txt"
fi

# The whole tree: every element with its role, name and place on screen.
/usr/bin/python3 "$LECTEUR" --places galerie-design >"$TMP/tout.txt" 2>"$TMP/arbre.err" || { echec "arbre complet illisible"; cat "$TMP/arbre.err"; }
place() { grep "^cadre $1 " "$TMP/galerie.out" | cut -d' ' -f3-; }
# The places are read right: the light tab bar stands where the gallery says.
if grep -q "^page tab list | .* | $(place barre)\$" "$TMP/tout.txt"; then ok "les places se lisent"; else echec "la barre n’est pas à sa place ($(place barre))"; fi
for nom in clair sombre; do
    if grep -q "^text | Nom | .* | $(place "$nom-champ")\$" "$TMP/tout.txt"; then
        ok "le champ se lit « Nom » ($nom)"
    else
        echec "le champ n’a pas son titre pour nom ($nom) : $(grep "| $(place "$nom-champ")\$" "$TMP/tout.txt")"
    fi
done
# The segmented rows show their segments: those are read, and nothing of the hidden menu
# that takes their place when narrow (neither the menu nor its list's items).
SEGMENTS=$(grep -c "^check box | Basse | " "$TMP/tout.txt")
MENUS=$(grep -cE "^(combo box|list|list item) \| " "$TMP/tout.txt")
if ((SEGMENTS == 2 && MENUS == 0)); then ok "les rangées segmentées se lisent sans leur menu caché"; else echec "segments lus $SEGMENTS fois, éléments du menu caché lus : $MENUS"; fi
VUES=0
while read -r _ cadre X Y W H; do
    if grep -q " | $X $Y $W $H\$" "$TMP/tout.txt"; then
        VUES=$((VUES + 1))
        echo "  lu : $cadre ($(grep " | $X $Y $W $H\$" "$TMP/tout.txt" | head -1))"
    fi
done < <(grep -E '^cadre (mascotte|calque)-' "$TMP/galerie.out")
NOMBRE=$(grep -cE '^cadre (mascotte|calque)-' "$TMP/galerie.out")
if ((NOMBRE == 12 && VUES == 0)); then ok "aucune des 6 mascottes n’est lue, ni leur calque"; else echec "$VUES mascottes ou calques lus sur $NOMBRE"; fi

bilan "arbre accessible"
