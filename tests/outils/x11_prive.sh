# Sourced by the end-to-end test and the benchmark: a private X server with a tray host
# and a compositor (none when SANS_COMPOSITEUR=1, as on a plain window manager), all stopped
# (and the temporary folder removed) on every way out.
# Usage: source x11_prive.sh BUILD_DIR. Sets BUILD, APP, TMP, JOURNAL, SOURCE_GLISSER, PIDS.
BUILD=$(cd "$1" && pwd)
SOURCE_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
APP="$BUILD/vemo-vododod"
TMP=$(mktemp -d /tmp/vemo-x11.XXXXXX)
PIDS=()

# Stops what was started here, by process id, last first.
nettoyer() {
    local pid
    for ((i = ${#PIDS[@]} - 1; i >= 0; i--)); do
        pid=${PIDS[i]}
        if kill "$pid" 2>/dev/null; then
            for _ in $(seq 40); do kill -0 "$pid" 2>/dev/null || break; sleep 0.05; done
            kill -9 "$pid" 2>/dev/null
        fi
    done
    rm -rf "$TMP"
}
trap nettoyer EXIT
trap 'exit 130' INT TERM HUP

# attendre SECONDES COMMANDE...: retries the command (a function too) until it succeeds.
attendre() {
    local fin=$(($(date +%s%N) + $1 * 1000000000))
    shift
    until "$@"; do
        (($(date +%s%N) > fin)) && return 1
        sleep 0.05
    done
}

for outil in Xvfb trayer xcompmgr xdotool xwininfo ffmpeg file; do
    command -v "$outil" >/dev/null || { echo "ÉCHEC : $outil manque"; exit 1; }
done
[ -x "$APP" ] || { echo "ÉCHEC : $APP manque"; exit 1; }

# The drag source, built with the tests.
SOURCE_GLISSER="$BUILD/tests/outils/source-glisser"
[ -x "$SOURCE_GLISSER" ] || { echo "ÉCHEC : $SOURCE_GLISSER manque"; exit 1; }

# A private display: Xvfb picks a free number itself and writes it on descriptor 3.
Xvfb -displayfd 3 -screen 0 1280x800x24 -noreset -nolisten tcp 3>"$TMP/affichage" 2>"$TMP/xvfb.log" &
PIDS+=($!)
attendre 10 test -s "$TMP/affichage" || { echo "ÉCHEC : Xvfb ne démarre pas"; cat "$TMP/xvfb.log"; exit 1; }
export DISPLAY=":$(head -1 "$TMP/affichage")"
unset WAYLAND_DISPLAY DBUS_SESSION_BUS_ADDRESS
export QT_QPA_PLATFORM=xcb XDG_STATE_HOME="$TMP/etat" XDG_DATA_HOME="$TMP/donnees" HOME="$TMP"
export XDG_RUNTIME_DIR="$TMP/run"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
JOURNAL="$XDG_STATE_HOME/vemo-vododod/Vemo Vododod.log"
if [ "${SANS_COMPOSITEUR:-0}" != 1 ]; then
    xcompmgr >"$TMP/xcompmgr.log" 2>&1 &
    PIDS+=($!)
fi
trayer --edge top --align right --widthtype request --height 24 >"$TMP/trayer.log" 2>&1 &
PIDS+=($!)
sleep 0.5

dans_journal() { grep -qF -- "$1" "$JOURNAL" 2>/dev/null; }
# bouger X Y: twelve small steps about 30 ms apart from where the pointer is.
bouger() {
    local X Y SCREEN WINDOW x y
    eval "$(xdotool getmouselocation --shell)"
    for i in $(seq 1 12); do
        x=$((X + ($1 - X) * i / 12))
        y=$((Y + ($2 - Y) * i / 12))
        xdotool mousemove "$x" "$y"
        sleep 0.03
    done
}

# A Shift-drag from the drag source under (200, 400): pressed, moved, Shift held, moved away.
commencer_glisser() {
    xdotool mousemove 200 400
    sleep 0.1
    xdotool mousedown 1
    sleep 0.1
    bouger 260 420
    xdotool keydown shift
    bouger 420 430
}

# With the application's process id in APP_PID: the wheel's openings in the log, and its panel,
# a visible 640 × 640 window of the application (its id).
ouvertures() { grep -c "roue ouverte en " "$JOURNAL" 2>/dev/null; }
plus_d_ouvertures_que() { (($(ouvertures) > $1)); }
panneau_roue() {
    local w
    for w in $(xdotool search --onlyvisible --pid "$APP_PID" 2>/dev/null); do
        xwininfo -id "$w" 2>/dev/null | grep -q "Width: 640" && { echo "$w"; return 0; }
    done
    return 1
}
roue_visible() { panneau_roue >/dev/null; }
roue_cachee() { ! roue_visible; }
