#!/bin/bash
# End to end on a private X server: quitting during a long job, from the menu or by a
# signal, cancels it: the process ends within a second, ffmpeg with it, and nothing is left
# beside the source (no reserved name, no hidden temporary, no work folder).
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
mort() { ! vivant "$1"; }
ffmpeg_enfant() { pgrep -P "$APP_PID" -x ffmpeg; }
# Starts the application converting `film.mp4` (a fresh copy in its own folder) to $1.
lancer() {
    DOSSIER="$TMP/$2"
    mkdir -p "$DOSSIER"
    cp "$TMP/film.mp4" "$DOSSIER/"
    TMPDIR="$TRAVAIL" "$APP" "--convertir=$1:$DOSSIER/film.mp4" >"$TMP/$2.log" 2>&1 &
    APP_PID=$!
    PIDS+=($APP_PID)
    attendre 10 dans_journal "déposé [\"film.mp4\"] sur $1" || echec "$2 : pas de dépôt"
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
    [ "$reste" = "film.mp4" ] && ok "$1 : rien de laissé à côté de la source" || echec "$1 : laissé : $(echo $reste)"
    [ -z "$(ls -A "$TRAVAIL")" ] || echec "$1 : laissé dans le dossier temporaire : $(ls -A "$TRAVAIL")"
    dans_journal "conversion annulée : [\"film.mp4\"] sur $2" && ok "$1 : annulation journalisée" \
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
    attendre 10 bash -c "ls -A '$DOSSIER' | grep -q '^\.film-'" || echec "$signal : pas de fichier temporaire"
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

if ((ECHECS > 0)); then
    echo "--- journal"
    tail -30 "$JOURNAL"
    echo "$ECHECS vérification(s) en échec"
    exit 1
fi
echo "toutes les vérifications passent"
