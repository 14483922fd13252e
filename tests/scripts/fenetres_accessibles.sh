#!/bin/bash
# The crop window read through AT-SPI on a private X server and accessibility bus, as a screen
# reader reads it: the header's title and badge are texts; each format is a button named by
# its title with a press action, "Libre" alone checked. From the keyboard alone (Tab to the
# chosen format, Right, Return) the photo is cropped square, and the checked state and the
# badge follow. After a format chosen with the mouse, Tab and the arrows start from it. The
# light window's sliders are read by their labels and their range as shown, an arrow moves one
# unit, and its buttons take the keyboard: Tab to « Automatique », Space, and it reads as on;
# the mask window's buttons too. The trim window's failure is read as a text.
# Usage: fenetres_accessibles.sh BUILD_DIR
set -u
source "$(dirname "$0")/../outils/x11_prive.sh" "${1:?build folder}"
source "$(dirname "$0")/../outils/verifications.sh"
source "$(dirname "$0")/../outils/bus_accessible.sh"

ffmpeg -loglevel error -f lavfi -i testsrc2=size=1600x1200 -frames:v 1 "$TMP/photo.jpg" || exit 1

lire() { /usr/bin/python3 "$LECTEUR" --tout "Vemo Vododod" >"$TMP/arbre.txt" 2>"$TMP/arbre.err"; }
# present LIGNE: one element reads exactly so (name | role | states | actions | parent).
present() { grep -qxF -- "$1" "$TMP/arbre.txt"; }
lu() { lire && present "$1"; }

xdotool mousemove 500 400
lancer "--rogner=$TMP/photo.jpg" || conclure
if attendre 20 lu "1600 × 1200 px | label | showing |  | dans panel"; then
    ok "badge lu « 1600 × 1200 px »"
else
    echec "badge illisible"
    cat "$TMP/arbre.err" "$TMP/arbre.txt"
fi
present "Rogner photo.jpg | label | showing |  | dans panel" && ok "titre lu « Rogner photo.jpg »" || echec "titre illisible"
present "Libre | push button | checked,focusable,showing | Press | dans filler" && ok "« Libre », bouton choisi" \
    || echec "« Libre » pas lu comme bouton choisi"
for format in Carré 4:5 9:16 16:9 Original; do
    present "$format | push button | showing | Press | dans filler" && ok "« $format », bouton" \
        || echec "« $format » pas lu comme bouton"
done
(($(grep -c '| checked,' "$TMP/arbre.txt") == 1)) && ok "un seul format choisi" \
    || echec "formats choisis : $(grep -c '| checked,' "$TMP/arbre.txt")"

# The keyboard reaches the formats like the other controls: Tab, then Right chooses « Carré ».
xdotool key Tab
sleep 0.3
xdotool key Right
verifier 10 "« Carré » choisi au clavier" lu "Carré | push button | checked,focusable,showing | Press | dans filler"
present "1200 × 1200 px | label | showing |  | dans panel" && ok "le badge suit : 1200 × 1200 px" \
    || echec "badge : $(grep ' px |' "$TMP/arbre.txt")"
present "Libre | push button | showing | Press | dans filler" && ok "« Libre » n’est plus choisi" \
    || echec "« Libre » encore choisi"
xdotool key Return
verifier 10 "créé photo (rognée).jpg" dans_journal "créé photo (rognée).jpg"
TAILLE=$(ffprobe -v error -select_streams v:0 -show_entries stream=width,height -of csv=p=0 "$TMP/photo (rognée).jpg")
[ "$TAILLE" = "1200,1200" ] && ok "rognée au carré" || echec "pas un carré de 1200 : $TAILLE"
arreter

# « 9:16 » clicked, then Tab and Right: « 16:9 » is chosen, and the badge follows.
lancer "--rogner=$TMP/photo.jpg" || conclure
attendre 20 lu "1600 × 1200 px | label | showing |  | dans panel" || echec "photo pas lue"
/usr/bin/python3 "$LECTEUR" --places "Vemo Vododod" >"$TMP/places.txt" 2>>"$TMP/arbre.err"
read -r X Y W H < <(awk -F' [|] ' '$1 == "push button" && $2 == "9:16" {print $4}' "$TMP/places.txt")
if [ -n "${H:-}" ]; then
    xdotool mousemove $((X + W / 2)) $((Y + H / 2)) click 1
    verifier 10 "« 9:16 » choisi à la souris" lu "9:16 | push button | checked,focusable,showing | Press | dans filler"
    xdotool key Tab
    sleep 0.3
    xdotool key Right
    verifier 10 "« 16:9 » choisi par la flèche après la souris" \
        lu "16:9 | push button | checked,focusable,showing | Press | dans filler"
    present "778 × 438 px | label | showing |  | dans panel" && ok "le badge suit : 778 × 438 px" \
        || echec "badge : $(grep ' px |' "$TMP/arbre.txt")"
else
    echec "« 9:16 » sans place à l’écran"
    cat "$TMP/places.txt"
fi
arreter

lancer "--lumiere=$TMP/photo.jpg" || conclure
attendre 20 lu "d'origine | label | showing |  | dans panel" || echec "lumière : badge illisible"
for nom in Lumière Contraste Couleurs; do
    present "$nom | slider | focusable,showing | SetFocus,Increase,Decrease | dans filler" && ok "curseur « $nom » nommé" \
        || echec "curseur « $nom » sans nom"
done
for nom in "Remettre à zéro" Annuler Enregistrer; do
    present "$nom | push button | focusable,showing | Press,SetFocus | dans filler" && ok "« $nom » prend le clavier" \
        || echec "« $nom » hors d’atteinte du clavier"
done
present "Automatique | check box | focusable,showing | Toggle,SetFocus | dans filler" \
    && ok "« Automatique » prend le clavier, non coché" \
    || echec "« Automatique » hors d’atteinte du clavier ou sans état : $(grep '^Automatique' "$TMP/arbre.txt")"
# The sliders read their range as shown; one arrow moves « Lumière » one unit.
valeurs() { /usr/bin/python3 "$LECTEUR" --valeurs "Vemo Vododod" >"$TMP/valeurs.txt" 2>>"$TMP/arbre.err"; }
lue() { valeurs && grep -qxF -- "$1" "$TMP/valeurs.txt"; }
lue "Contraste | -100 100 0" && ok "« Contraste » lu de −100 à 100" || echec "curseurs : $(cat "$TMP/valeurs.txt")"
xdotool key Tab
sleep 0.2
xdotool key Right
verifier 10 "une flèche : « Lumière » à 1" lue "Lumière | -100 100 1"
# The two other sliders, then « Automatique », pressed with Space: it reads as checked.
for _ in 1 2 3; do xdotool key Tab; sleep 0.2; done
xdotool key space
verifier 10 "« Automatique » pressé au clavier" \
    lu "Automatique | check box | checked,focusable,showing | Toggle,SetFocus | dans filler"
present "retouchée | label | showing |  | dans panel" && ok "badge « retouchée »" || echec "badge pas retouché"
arreter

# A failure is read as a text, by its words.
head -c 4000 /dev/zero | tr '\0' x >"$TMP/faux.mp3"
lancer "--couper=$TMP/faux.mp3" || conclure
if attendre 20 lu "Impossible de lire « faux.mp3 » | label | showing |  | dans filler"; then
    ok "échec lu « Impossible de lire « faux.mp3 » »"
else
    echec "échec illisible"
    grep -i "impossible\| filler " "$TMP/arbre.txt" | head -5
fi
arreter

lancer "--masquer=$TMP/photo.jpg" || conclure
attendre 30 lu "Masquer | push button | focusable,showing | Press,SetFocus | dans filler" \
    && ok "« Masquer » prend le clavier" || echec "masquer : aucun bouton au clavier"
present "Annuler | push button | focusable,showing | Press,SetFocus | dans filler" && ok "« Annuler » prend le clavier" \
    || echec "masquer : « Annuler » hors d’atteinte du clavier"
arreter
conclure
