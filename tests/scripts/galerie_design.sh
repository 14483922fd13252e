#!/bin/bash
# The design system's gallery on a private X server: a screenshot probed at chosen pixels
# (the selected tab's pill, a filled button, the sky's gradient ends, light against dark, the
# sky frame's rounded corners, also over a child that fills it, the Reverie pill's height), a
# tab's hint that shows beside its bar after the 0.35 s rest, not before, and hides when the
# pointer leaves, and the toast's row measured on a second run that posts a notice, where the
# mascot's hop is drawn above the capsule.
# Usage: galerie_design.sh BUILD_DIR
set -u
source "$(dirname "$0")/../outils/x11_prive.sh" "${1:?build folder}"
source "$(dirname "$0")/../outils/galerie.sh"
command -v convert >/dev/null || { echo "ÉCHEC : convert manque"; exit 1; }

ouvrir_galerie
sleep 0.3
import -window root "$TMP/galerie.png" || { echo "ÉCHEC : pas de capture"; exit 1; }
cp "$TMP/galerie.png" "$BUILD/tests/galerie-design.png" 2>/dev/null

point() { grep "^sonde $1 " "$TMP/galerie.out" | awk '{print $3 "," $4}'; }
# pixel X,Y: the screenshot's channels there as "R G B".
pixel() { rgb "$TMP/galerie.png" "${1%,*}" "${1#*,}"; }
# proche NOM R G B TOLÉRANCE
proche() {
    local p rgb
    p=$(point "$1")
    [ -n "$p" ] || { echec "pas de point $1"; return; }
    rgb=$(pixel "$p")
    read -r r g b <<<"$rgb"
    if ((r - $2 <= $5 && $2 - r <= $5 && g - $3 <= $5 && $3 - g <= $5 && b - $4 <= $5 && $4 - b <= $5)); then
        ok "$1 ($rgb)"
    else
        echec "$1 : $rgb au lieu de $2 $3 $4"
    fi
}
ecart() { local d=$(($1 - $2)); echo $((d < 0 ? -d : d)); }
somme() { local r g b; read -r r g b <<<"$(pixel "$(point "$1")")"; echo $((r + g + b)); }

# The Reverie neutrals: call-to-action ink #18191B in light, #EEF0F6 in dark.
proche clair-pilule 24 25 27 3
proche sombre-pilule 238 240 246 3
proche clair-bouton 24 25 27 3
proche sombre-bouton 238 240 246 3
# The morning sky from #BFD9FF to #FFE3EC, top left to bottom right.
proche clair-ciel-debut 191 217 255 6
proche clair-ciel-fin 255 227 236 6
# The same sky at night is a dark blue gradient.
for bout in debut fin; do
    s=$(somme "sombre-ciel-$bout")
    if ((s < 330)); then ok "ciel de nuit sombre ($bout : $s)"; else echec "ciel de nuit trop clair ($bout : $s)"; fi
done

# The sky frame's corners are rounded: its corner pixel is the column behind it, not sky,
# while the middle of its top edge is sky.
for nom in clair sombre; do
    read -r cr cg cb <<<"$(pixel "$(point "$nom-encadre-coin")")"
    read -r dr dg db <<<"$(pixel "$(point "$nom-derriere-encadre")")"
    read -r er eg eb <<<"$(pixel "$(point "$nom-encadre-bord")")"
    if (($(ecart $cr $dr) + $(ecart $cg $dg) + $(ecart $cb $db) <= 9 && $(ecart $er $dr) + $(ecart $eg $dg) + $(ecart $eb $db) > 20)); then
        ok "coins arrondis de l’encadré ($nom : coin $cr $cg $cb, derrière $dr $dg $db, bord $er $eg $eb)"
    else
        echec "coin carré de l’encadré ($nom : coin $cr $cg $cb, derrière $dr $dg $db, bord $er $eg $eb)"
    fi
done

# A child that fills the frame to its edges is rounded off too: its corner pixel is the
# column behind, the middle of its top edge the child's own green.
for nom in clair sombre; do
    read -r cr cg cb <<<"$(pixel "$(point "$nom-plein-coin")")"
    read -r dr dg db <<<"$(pixel "$(point "$nom-derriere-plein")")"
    read -r er eg eb <<<"$(pixel "$(point "$nom-plein-bord")")"
    if (($(ecart $cr $dr) + $(ecart $cg $dg) + $(ecart $cb $db) <= 9 && $(ecart $er 46) + $(ecart $eg 139) + $(ecart $eb 87) <= 9)); then
        ok "l’encadré arrondit l’enfant qui le remplit ($nom : coin $cr $cg $cb, derrière $dr $dg $db)"
    else
        echec "l’enfant déborde des coins de l’encadré ($nom : coin $cr $cg $cb, derrière $dr $dg $db, bord $er $eg $eb)"
    fi
done

# The Reverie pill is 44 pixels tall: the rows of its middle column that differ from what is
# just above the widget, top edge to bottom edge.
for nom in clair sombre; do
    read -r PX PY PW PH <<<"$(grep "^cadre $nom-pilule-reverie " "$TMP/galerie.out" | cut -d' ' -f3-)"
    COL=$((PX + PW / 2))
    HAUT=$(convert "$TMP/galerie.png" -crop "1x$((PH + 2))+$COL+$((PY - 1))" +repage -depth 8 txt:- | awk -F'[(),]' '
        NR == 2 { r = $4; g = $5; b = $6 }
        NR > 1 { d = ($4 > r ? $4 - r : r - $4) + ($5 > g ? $5 - g : g - $5) + ($6 > b ? $6 - b : b - $6);
                 if (d > 60) { if (premier == "") premier = NR; dernier = NR } }
        END { print (premier == "" ? 0 : dernier - premier + 1) }')
    if ((HAUT == 44)); then ok "pilule Rêverie de 44 pixels ($nom)"; else echec "pilule Rêverie de $HAUT pixels ($nom)"; fi
done

# The hint of the third tab: below the bar, centred on it, as wide as the bar (240).
read -r BX BY BW BH <<<"$(grep '^cadre barre ' "$TMP/galerie.out" | cut -d' ' -f3-)"
xdotool mousemove $(point onglet | tr , ' ')
if attendre 5 indice_montre; then
    MS=$(grep '^indice ' "$TMP/galerie.out" | head -1 | awk '{print $2}')
    if ((MS >= 350 && MS < 2000)); then ok "l’indice vient après le repos ($MS ms)"; else echec "indice après $MS ms"; fi
    sleep 0.2
    lire_indice
    if grep -q "IsViewable" <<<"$INFO" && ((W == BW && Y >= BY + BH + 7 && Y <= BY + BH + 9)) \
        && (((2 * X + W) - (2 * BX + BW) <= 2 && (2 * BX + BW) - (2 * X + W) <= 2)); then
        ok "indice sous la barre, centré ($X,$Y ${W} de large)"
    else
        echec "indice mal placé : $X,$Y largeur $W, barre $BX,$BY ${BW}×$BH"
    fi
else
    echec "aucun indice"
fi
xdotool mousemove 700 850
cache() { xwininfo -name vemo-indice 2>/dev/null | grep -q IsUnMapped; }
if attendre 3 cache; then ok "l’indice part avec le pointeur"; else echec "l’indice reste"; fi

# The toast, on a second gallery that posts a success: a row about 60 high with the mascot's
# frame and the close button centred on it, and the mascot's body where its frame is.
kill "${PIDS[-1]}" 2>/dev/null
wait "${PIDS[-1]}" 2>/dev/null
demarrer_galerie notice --notice
if attendre 30 galerie_prete notice && grep -q '^cadre toast ' "$TMP/notice.out"; then
    sleep 0.3
    import -window root "$TMP/notice.png" || echec "pas de capture du toast"
    read -r TX TY TW TH <<<"$(grep '^cadre toast ' "$TMP/notice.out" | cut -d' ' -f3-)"
    read -r MX MY <<<"$(grep '^sonde toast-mascotte-centre ' "$TMP/notice.out" | cut -d' ' -f3-)"
    read -r FX FY <<<"$(grep '^sonde toast-fermer-centre ' "$TMP/notice.out" | cut -d' ' -f3-)"
    MILIEU=$((TY * 2 + TH))
    if ((TH >= 56 && TH <= 64 && (2 * MY - MILIEU) <= 3 && (MILIEU - 2 * MY) <= 3 && (2 * FY - MILIEU) <= 3 && (MILIEU - 2 * FY) <= 3)); then
        ok "toast de $TH de haut, mascotte et bouton centrés"
    else
        echec "toast de $TH de haut (y $TY), mascotte à $MY, bouton à $FY"
    fi
    # The mascot's body, in the accent colour, five pixels above its frame's bottom.
    read -r BX BY <<<"$(grep '^sonde toast-mascotte ' "$TMP/notice.out" | cut -d' ' -f3-)"
    CORPS=$(rgb "$TMP/notice.png" "$BX" "$BY")
    FOND=$(rgb "$TMP/notice.png" $((TX + TW / 2)) $((TY + 3)))
    if [ "$CORPS" != "$FOND" ]; then ok "le corps de la mascotte est dans son cadre ($CORPS)"; else echec "pas de mascotte au bas de son cadre ($CORPS)"; fi
    # Its hop on the success reaches above the capsule: the pixel just above the capsule's
    # top edge, the window's own once it has landed, took the body's colour at some frame.
    read -r cr cg cb <<<"$CORPS"
    read -r SX SY <<<"$(grep '^sonde toast-saut ' "$TMP/notice.out" | cut -d' ' -f3-)"
    read -r rr rg rb <<<"$(rgb "$TMP/notice.png" "$SX" "$SY")"
    VUS=$(awk -v r="$cr" -v g="$cg" -v b="$cb" 'function a(x) { return x < 0 ? -x : x }
        $1 == "saut" && a($3 - r) + a($4 - g) + a($5 - b) <= 12 { n++ } END { print n + 0 }' "$TMP/notice.out")
    IMAGES=$(grep -c '^saut ' "$TMP/notice.out")
    if ((VUS > 0 && $(ecart $rr $cr) + $(ecart $rg $cg) + $(ecart $rb $cb) > 30)); then
        ok "la mascotte saute au-dessus du toast ($VUS images sur $IMAGES, au repos $rr $rg $rb)"
    else
        echec "la mascotte coupée au bord du toast ($VUS images sur $IMAGES de sa couleur $CORPS, au repos $rr $rg $rb)"
    fi
else
    echec "pas de toast dans la galerie"
    cat "$TMP/notice.err"
fi

bilan galerie
