# Sourced by the gallery's scripted checks after x11_prive.sh: counted checks, the gallery
# started and waited for, a pixel of a screenshot, the floating hint's place, and the verdict.
source "$(dirname "${BASH_SOURCE[0]}")/verifications.sh"
GALERIE="$BUILD/tests/outils/galerie-design"
[ -x "$GALERIE" ] || { echo "ÉCHEC : $GALERIE manque"; exit 1; }

# demarrer_galerie NOM [OPTION...]: the gallery started, its lines in $TMP/NOM.out.
demarrer_galerie() {
    "$GALERIE" "${@:2}" >"$TMP/$1.out" 2>"$TMP/$1.err" &
    PIDS+=($!)
}
galerie_prete() { grep -q '^pret' "$TMP/$1.out"; }
# ouvrir_galerie: the gallery started and ready in $TMP/galerie.out, or the test stops.
ouvrir_galerie() {
    demarrer_galerie galerie
    attendre 20 galerie_prete galerie || { echo "ÉCHEC : la galerie ne s’ouvre pas"; cat "$TMP/galerie.err"; exit 1; }
}

# rgb IMAGE X Y: the pixel's channels as "R G B", read by ImageMagick.
rgb() { convert "$1" -format "%[fx:int(255*p{$2,$3}.r)] %[fx:int(255*p{$2,$3}.g)] %[fx:int(255*p{$2,$3}.b)]" info:; }

# The floating hint: shown once the gallery says so; its window's X Y W H and xwininfo's INFO.
indice_montre() { grep -q '^indice ' "$TMP/galerie.out"; }
lire_indice() {
    INFO=$(xwininfo -name vemo-indice 2>/dev/null)
    X=$(sed -n 's/.*Absolute upper-left X: *//p' <<<"$INFO")
    Y=$(sed -n 's/.*Absolute upper-left Y: *//p' <<<"$INFO")
    W=$(sed -n 's/.*Width: *//p' <<<"$INFO")
    H=$(sed -n 's/.*Height: *//p' <<<"$INFO")
}

# bilan NOM: failure with the count of failed checks, or NOM's all clear.
bilan() {
    if ((ECHECS)); then
        echo "$ECHECS échec(s)"
        exit 1
    fi
    echo "$1 : tout va bien"
}
