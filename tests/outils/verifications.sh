# Sourced by the end-to-end tests after x11_prive.sh: counted checks, the tool window found
# on screen, the application started on one option, and the verdict at the end.
ECHECS=0

echec() { echo "ÉCHEC : $*"; ECHECS=$((ECHECS + 1)); }
ok() { echo "ok : $*"; }
verifier() { # verifier SECONDES "message" COMMANDE...
    local s=$1 m=$2
    shift 2
    if attendre "$s" "$@"; then ok "$m"; else echec "$m"; fi
}

# The tool window: a visible 620-point-wide window of the application $APP_PID. Sets WX WY WH.
fenetre() {
    local w g
    for w in $(xdotool search --onlyvisible --pid "$APP_PID" 2>/dev/null); do
        g=$(xwininfo -id "$w" 2>/dev/null)
        if echo "$g" | grep -q "Width: 620"; then
            WX=$(echo "$g" | awk '/Absolute upper-left X/ {print $4}')
            WY=$(echo "$g" | awk '/Absolute upper-left Y/ {print $4}')
            WH=$(echo "$g" | awk '/Height:/ {print $2}')
            return 0
        fi
    done
    return 1
}
sans_fenetre() { ! fenetre; }
lancer() { # lancer OPTION: the application with that option, the pointer where it is
    "$APP" "$1" >>"$TMP/app.log" 2>&1 &
    APP_PID=$!
    PIDS+=($APP_PID)
    attendre 10 fenetre || { echec "pas de fenêtre pour $1"; return 1; }
    sleep 1  # the photo is read off the GUI thread
}
arreter() {
    kill "$APP_PID" 2>/dev/null
    wait "$APP_PID" 2>/dev/null
}

# conclure: with a failed check, the log and the application's last words, and failure.
conclure() {
    if ((ECHECS > 0)); then
        echo "--- journal"
        cat "$JOURNAL"
        echo "--- application"
        tail -20 "$TMP/app.log"
        echo "$ECHECS vérification(s) en échec"
        exit 1
    fi
    echo "toutes les vérifications passent"
}
