#!/bin/bash
# The running application around a cut-out on a private X server: resident memory before,
# right after a 12-megapixel cut-out (--convertir=detour:…), and one minute later, once the
# model has been let go (objective: back under 100 MB).
# Usage: bench/detourage_application.sh BUILD_DIR
set -u
modeles=${XDG_DATA_HOME:-$HOME/.local/share}/vemo-vododod/modeles
source "$(dirname "$0")/../tests/outils/x11_prive.sh" "${1:?build folder}"
[ -f "$modeles/isnet-medium.onnx" ] || { echo "modèle absent : lancer scripts/dependances.sh"; exit 1; }
# The private home sees the installed model.
mkdir -p "$XDG_DATA_HOME/vemo-vododod"
ln -s "$modeles" "$XDG_DATA_HOME/vemo-vododod/modeles"

photo="$TMP/fusée.jpg"
ffmpeg -loglevel error -i /usr/lib/python3/dist-packages/skimage/data/rocket.jpg -vf scale=4000:3000 -q:v 3 "$photo" || exit 1
# Resident memory in MB, then how much of it is anonymous (the process's own data) and how
# much is mapped files (library code, shared with other processes).
rss() {
    awk '/^VmRSS/ {t = $2} /^RssAnon/ {a = $2} /^RssFile|^RssShmem/ {f += $2}
         END {printf "%.0f Mo (anonyme %.0f, fichiers %.0f)", t / 1024, a / 1024, f / 1024}' "/proc/$APP_PID/status"
}

"$APP" "--convertir=detour:$photo" >/dev/null 2>&1 &
APP_PID=$!
PIDS+=($APP_PID)
attendre 10 dans_journal "Vemo Vododod lancé" || { echo "pas de lancement"; exit 1; }
echo "mémoire résidente avant le détourage : $(rss)"
debut=$(date +%s%N)
attendre 120 dans_journal "créé fusée (détourée).png" || { echo "pas de détourage"; tail -3 "$JOURNAL"; exit 1; }
echo "détourage dans l’application : $((($(date +%s%N) - debut) / 1000000)) ms, charge $(cut -d' ' -f1 /proc/loadavg)"
echo "mémoire résidente juste après : $(rss)"
sleep 65
echo "mémoire résidente une minute plus tard : $(rss) (objectif < 100 Mo)"
