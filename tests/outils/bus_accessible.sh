# Sourced after x11_prive.sh: a private session bus (the accessibility bus is started from it
# on demand) with accessibility on, as on a desktop with a screen reader; the application
# started after this shows its elements over AT-SPI. Sets LECTEUR, the tree's reader.
LECTEUR="$SOURCE_DIR/tests/outils/arbre_accessible.py"
command -v dbus-daemon >/dev/null || { echo "ÉCHEC : dbus-daemon manque"; exit 1; }
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null || { echo "ÉCHEC : python3-pyatspi manque"; exit 1; }
ADRESSE=$(dbus-daemon --session --fork --nopidfile --print-address=1 --print-pid=3 3>"$TMP/dbus.pid")
[ -n "$ADRESSE" ] || { echo "ÉCHEC : pas de bus de session"; exit 1; }
PIDS=("$(cat "$TMP/dbus.pid")" "${PIDS[@]}")
export DBUS_SESSION_BUS_ADDRESS="$ADRESSE"
dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.freedesktop.DBus.Properties.Set \
    string:org.a11y.Status string:IsEnabled variant:boolean:true >/dev/null 2>&1
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 NO_AT_BRIDGE=0 GTK_MODULES=
