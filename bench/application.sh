#!/bin/bash
# The running application's figures on a private X server: start-up time to the
# "Vemo Vododod lancé" line, idle CPU, wake-ups and X requests over 30 s, resident memory at
# idle, and the time from a drag's start (in another application, Shift already held) to the
# wheel shown, for a drag started after a move and for one started at the press itself.
# Usage: bench/application.sh BUILD_DIR
set -u
source "$(dirname "$0")/../tests/outils/x11_prive.sh" "${1:?build folder}"

ms_du_jour() { echo $((($(date +%s%N) / 1000000) % 86400000)); }
# "HH:MM:SS.mmm" → milliseconds of the day.
en_ms() { local h=${1:0:2} m=${1:3:2} s=${1:6:2} f=${1:9:3}; echo $(((10#$h * 3600 + 10#$m * 60 + 10#$s) * 1000 + 10#$f)); }
mediane() { sort -n | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }

# Start-up: five launches, a fresh log each time.
for i in 1 2 3 4 5; do
    rm -f "$JOURNAL"
    t0=$(ms_du_jour)
    "$APP" >/dev/null 2>&1 &
    pid=$!
    PIDS+=($pid)
    attendre 10 dans_journal "Vemo Vododod lancé" || { echo "pas de lancement"; exit 1; }
    echo $(($(en_ms "$(grep "Vemo Vododod lancé" "$JOURNAL" | cut -c1-12)") - t0))
    kill "$pid"
    wait "$pid" 2>/dev/null
done >"$TMP/demarrages"
echo "démarrage jusqu’à « Vemo Vododod lancé » : médiane $(mediane <"$TMP/demarrages") ms (objectif < 300 ms)"

# Idle, one second after the launch, over 30 s: CPU, wake-ups (context switches of every
# thread), write system calls (each X request is one) and resident memory.
"$APP" >/dev/null 2>&1 &
APP_PID=$!
PIDS+=($APP_PID)
attendre 10 dans_journal "Vemo Vododod lancé"
sleep 1
tics() { awk '{print $14 + $15}' "/proc/$APP_PID/stat"; }
reveils() { cat /proc/"$APP_PID"/task/*/status | awk '/_ctxt_switches/ {s += $2} END {print s}'; }
ecritures() { awk '/^syscw/ {print $2}' "/proc/$APP_PID/io"; }
avant=$(tics) r0=$(reveils) e0=$(ecritures)
sleep 30
apres=$(tics) r1=$(reveils) e1=$(ecritures)
hz=$(getconf CLK_TCK)
echo "processeur au repos sur 30 s : $(awk -v t=$((apres - avant)) -v hz="$hz" 'BEGIN {printf "%.3f", 100 * t / hz / 30}') % d’un cœur (objectif < 0,05 %)"
echo "réveils au repos : $(awk -v r=$((r1 - r0)) 'BEGIN {printf "%.2f", r / 30}') par seconde (objectif < 1)"
echo "écritures au repos (requêtes X comprises) : $((e1 - e0)) en 30 s"
echo "mémoire résidente au repos : $(awk '/VmRSS/ {printf "%.1f", $2 / 1024}' "/proc/$APP_PID/status") Mo (objectif < 80 Mo)"

# Drag start to wheel shown, Shift held before each drag: `mesurer SOURCE_LOG N` drags from
# the source window at 100,300 whose output is SOURCE_LOG, one time in ms per line.
ffmpeg -loglevel error -f lavfi -i testsrc=size=64x64 -frames:v 1 "$TMP/photo.png" || exit 1
mesurer() {
    local source_log=$1 ouvertures departs depart roue centre
    for _ in $(seq "$2"); do
        ouvertures=$(grep -c "roue ouverte en " "$JOURNAL")
        departs=$(grep -c "^glisse " "$source_log")
        xdotool mousemove 200 400
        sleep 0.2
        xdotool keydown shift
        xdotool mousedown 1
        bouger 260 420
        attendre 5 bash -c "[ \$(grep -c 'roue ouverte en ' '$JOURNAL') -gt $ouvertures ]"
        depart=$(grep "^glisse " "$source_log" | sed -n "$((departs + 1))p" | cut -d' ' -f2)
        roue=$(en_ms "$(grep "roue ouverte en " "$JOURNAL" | tail -1 | cut -c1-12)")
        echo $((roue - depart))
        # Release in the centre: nothing is dropped, the wheel closes.
        centre=$(grep -o "roue ouverte en [-0-9]*,[-0-9]*" "$JOURNAL" | tail -1 | sed 's/roue ouverte en //')
        bouger "${centre%,*}" "${centre#*,}"
        xdotool mouseup 1
        xdotool keyup shift
        sleep 0.8
    done
}
resume() { echo "médiane $(mediane <"$1") ms, pire $(sort -n "$1" | tail -1) ms sur $(wc -l <"$1") (objectif < 50 ms)"; }

"$SOURCE_GLISSER" 100 300 "$TMP/photo.png" >"$TMP/source.log" 2>&1 &
SOURCE_PID=$!
PIDS+=($SOURCE_PID)
attendre 10 grep -q prete "$TMP/source.log"
mesurer "$TMP/source.log" 10 >"$TMP/ouvertures"
echo "début du glisser → roue affichée : $(resume "$TMP/ouvertures")"
kill "$SOURCE_PID"
wait "$SOURCE_PID" 2>/dev/null

# The quickest drags: the source starts them at the press itself.
SOURCE_GLISSER_AUSSITOT=1 "$SOURCE_GLISSER" 100 300 "$TMP/photo.png" >"$TMP/source2.log" 2>&1 &
PIDS+=($!)
attendre 10 grep -q prete "$TMP/source2.log"
mesurer "$TMP/source2.log" 10 >"$TMP/ouvertures2"
echo "glisser commencé à l’appui → roue affichée : $(resume "$TMP/ouvertures2")"
