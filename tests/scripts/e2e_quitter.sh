#!/bin/bash
# End to end on a private X server: quitting during a long job, from the menu or by a
# signal, cancels it: the process ends within a second, ffmpeg with it, and nothing is left
# beside the source (no reserved name, no hidden temporary, no work folder, no page). Killed
# outright, its ffmpeg dies with it, and the next start removes what it left.
# Usage: e2e_quitter.sh BUILD_DIR
set -u
source "$(dirname "$0")/../outils/x11_prive.sh" "${1:?build folder}"
ECHECS=0
echec() { echo "ÉCHEC : $*"; ECHECS=$((ECHECS + 1)); }
ok() { echo "ok : $*"; }

# A minute of 720p video: re-encoding it takes far longer than the test waits.
ffmpeg -loglevel error -f lavfi -i testsrc2=size=1280x720:rate=30:duration=60 -f lavfi \
    -i sine=frequency=440:duration=60 -c:v libx264 -preset ultrafast -c:a aac -shortest "$TMP/film.mp4" || exit 1

# The application's temporary folder, watched for work folders left behind.
TRAVAIL="$TMP/travail"
mkdir -p "$TRAVAIL"
vivant() { kill -0 "$1" 2>/dev/null; }
# A process killed but not reaped yet (a zombie, which a container's first process may leave
# for ever) runs no more.
tourne() { [ -r "/proc/$1/stat" ] && [ "$(sed 's/.*) //' "/proc/$1/stat" | cut -c1)" != Z ]; }
mort() { ! vivant "$1"; }
ffmpeg_enfant() { pgrep -P "$APP_PID" -x ffmpeg; }
# Starts the application converting a fresh copy of $3 (default `film.mp4`) in a folder of
# its own, $2, to $1.
lancer() {
    DOSSIER="$TMP/$2"
    SOURCE="${3:-film.mp4}"
    mkdir -p "$DOSSIER"
    cp "$TMP/$SOURCE" "$DOSSIER/"
    TMPDIR="$TRAVAIL" "$APP" "--convertir=$1:$DOSSIER/$SOURCE" >"$TMP/$2.log" 2>&1 &
    APP_PID=$!
    PIDS+=($APP_PID)
    attendre 10 dans_journal "déposé [\"$SOURCE\"] sur $1" || echec "$2 : pas de dépôt"
}
# Times the end of the application from now; checks what it leaves.
verifier_fin() { # verifier_fin NOM PETALE FFMPEG_PID
    local t0 t1 ms
    t0=$(date +%s%N)
    attendre 5 mort "$APP_PID"
    t1=$(date +%s%N)
    ms=$(((t1 - t0) / 1000000))
    if mort "$APP_PID"; then
        ((ms < 1000)) && ok "$1 : fin en $ms ms" || echec "$1 : fin en $ms ms (plus d’une seconde)"
    else
        echec "$1 : l’application tourne encore après 5 s"
    fi
    [ -n "$3" ] && vivant "$3" && echec "$1 : ffmpeg ($3) tourne encore"
    local reste
    reste=$(ls -A "$DOSSIER")
    [ "$reste" = "$SOURCE" ] && ok "$1 : rien de laissé à côté de la source" || echec "$1 : laissé : $(echo $reste)"
    [ -z "$(ls -A "$TRAVAIL")" ] || echec "$1 : laissé dans le dossier temporaire : $(ls -A "$TRAVAIL")"
    dans_journal "conversion annulée : [\"$SOURCE\"] sur $2" && ok "$1 : annulation journalisée" \
        || echec "$1 : pas de « conversion annulée » dans le journal"
}

# 1. SIGTERM while ffmpeg makes the lighter copy.
lancer leger terme
attendre 10 ffmpeg_enfant >/dev/null || echec "terme : ffmpeg ne démarre pas"
sleep 1
FF=$(ffmpeg_enfant)
kill -TERM "$APP_PID"
verifier_fin "SIGTERM pendant ffmpeg" leger "$FF"

# 2. SIGTERM and SIGINT while the GIF is made in the application itself.
for signal in TERM INT; do
    lancer gif "gif-$signal"
    attendre 10 bash -c "ls -A '$DOSSIER' | grep -q '^\.vemo-vododod-film-'" || echec "$signal : pas de fichier temporaire"
    sleep 0.5
    kill -"$signal" "$APP_PID"
    verifier_fin "SIG$signal pendant le GIF" gif ""
done

# 3. « Quitter » from the tray icon's menu while ffmpeg runs.
lancer leger menu
attendre 10 ffmpeg_enfant >/dev/null || echec "menu : ffmpeg ne démarre pas"
FF=$(ffmpeg_enfant)
icone() { xwininfo -root -tree | sed -n '/"panel"/,/^     0x/p' | grep '"vemo-vododod"' | grep -o '+[0-9]*+[0-9]*$'; }
attendre 5 icone >/dev/null || echec "menu : pas d’icône dans la zone de notification"
POS=$(icone | head -1)
IX=$(echo "$POS" | cut -d+ -f2)
IY=$(echo "$POS" | cut -d+ -f3)
xdotool mousemove $((IX + 11)) $((IY + 11)) click 1
sleep 0.5
# The last item of the menu.
xdotool key Up
sleep 0.1
xdotool key Return
verifier_fin "« Quitter » pendant ffmpeg" leger "$FF"

# 4. SIGTERM during « Séparer » of 20 heavy pages: the pages already written go too.
python3 - "$TMP/doc.pdf" <<'PY'
import os, sys
# Each page its own picture of noise, stored raw: writing the pages one by one takes a while.
objets, pages = [], []
def objet(texte):
    objets.append(texte)
    return len(objets)
catalogue = objet(b"")
arbre = objet(b"")
for i in range(20):
    image = objet(b"<< /Type /XObject /Subtype /Image /Width 800 /Height 800 /ColorSpace /DeviceRGB "
                  b"/BitsPerComponent 8 /Length 1920000 >>\nstream\n" + os.urandom(1920000) + b"\nendstream")
    contenu = b"q 600 0 0 600 0 0 cm /I Do Q"
    flux = objet(b"<< /Length %d >>\nstream\n%s\nendstream" % (len(contenu), contenu))
    pages.append(objet(b"<< /Type /Page /Parent %d 0 R /MediaBox [0 0 600 600] /Contents %d 0 R "
                       b"/Resources << /XObject << /I %d 0 R >> >> >>" % (arbre, flux, image)))
objets[catalogue - 1] = b"<< /Type /Catalog /Pages %d 0 R >>" % arbre
objets[arbre - 1] = b"<< /Type /Pages /Count 20 /Kids [%s] >>" % b" ".join(b"%d 0 R" % p for p in pages)
pdf, positions = b"%PDF-1.4\n", []
for i, o in enumerate(objets):
    positions.append(len(pdf))
    pdf += b"%d 0 obj\n%s\nendobj\n" % (i + 1, o)
table = b"xref\n0 %d\n0000000000 65535 f \n" % (len(objets) + 1) + b"".join(b"%010d 00000 n \n" % p for p in positions)
pdf += table + b"trailer\n<< /Size %d /Root 1 0 R >>\nstartxref\n%d\n%%%%EOF\n" % (len(objets) + 1, len(pdf))
open(sys.argv[1], "wb").write(pdf)
PY
lancer separer separer doc.pdf
# Two pages written, under their names or still hidden.
attendre 20 bash -c "(( \$(ls -A '$DOSSIER' | grep -c '^\(\.vemo-vododod-\)\?doc page') >= 2 ))" \
    || echec "séparer : pas deux pages"
kill -TERM "$APP_PID"
verifier_fin "SIGTERM pendant « Séparer »" separer ""

# 5. SIGKILL while ffmpeg makes the lighter copy: ffmpeg dies with the application; its hidden
# temporary stays until the next start, which removes it.
lancer leger tue
attendre 10 ffmpeg_enfant >/dev/null || echec "tué : ffmpeg ne démarre pas"
attendre 10 bash -c "ls -A '$DOSSIER' | grep -q '^\.vemo-vododod-film'" || echec "tué : pas de fichier temporaire"
FF=$(ffmpeg_enfant)
kill -KILL "$APP_PID"
sleep 1
[ -n "$FF" ] && tourne "$FF" && echec "tué : ffmpeg ($FF) tourne encore une seconde après" || ok "tué : ffmpeg arrêté avec l’application"
TMPDIR="$TRAVAIL" "$APP" >"$TMP/relance.log" 2>&1 &
APP_PID=$!
PIDS+=($APP_PID)
attendre 10 dans_journal "restes d’une session interrompue supprimés : 1" && ok "relance : restes supprimés" \
    || echec "relance : pas de « restes d’une session interrompue supprimés : 1 »"
[ "$(ls -A "$DOSSIER")" = "film.mp4" ] || echec "relance : laissé : $(ls -A "$DOSSIER")"
kill -TERM "$APP_PID"
attendre 5 mort "$APP_PID" || echec "relance : ne se ferme pas"

if ((ECHECS > 0)); then
    echo "--- journal"
    tail -30 "$JOURNAL"
    echo "$ECHECS vérification(s) en échec"
    exit 1
fi
echo "toutes les vérifications passent"
