#!/bin/bash
# End to end on a private X server: "--couper=" on a 10 s WAV opens the trim window; the
# start handle dragged to the middle and Return write « (coupé).wav », 5 s long by soxi,
# its samples the source's from that point; an OGG is heard through a temporary WAV that
# Escape removes; an MP4 cut keeps its codecs.
# Usage: e2e_couper.sh BUILD_DIR
set -u
source "$(dirname "$0")/../outils/x11_prive.sh" "${1:?build folder}"
source "$(dirname "$0")/../outils/verifications.sh"
for outil in soxi sox ffprobe; do
    command -v "$outil" >/dev/null || { echo "ÉCHEC : $outil manque"; exit 1; }
done
couper() { # couper FICHIER: the trim window for it, under a known pointer
    xdotool mousemove 640 400
    lancer "--couper=$1"
}
ecoutes() { ls "$TMPDIR" | grep -c '^vemo-vododod-ecoute-.*\.wav$'; }
une_ecoute() { [ "$(ecoutes)" = 1 ]; }
export TMPDIR="$TMP/temporaire"
mkdir -p "$TMPDIR"

ffmpeg -loglevel error -f lavfi -i "anoisesrc=c=pink:r=44100:a=0.3:d=10" -c:a pcm_s16le "$TMP/son.wav" || exit 1
ffmpeg -loglevel error -f lavfi -i "sine=f=330:d=8" -c:a libvorbis "$TMP/air.ogg" || exit 1
ffmpeg -loglevel error -f lavfi -i testsrc2=size=320x240:rate=25:d=6 -f lavfi -i sine=d=6 \
    -c:v libx264 -preset ultrafast -pix_fmt yuv420p -c:a aac -shortest "$TMP/clip.mp4" || exit 1
AVANT=$(sha256sum "$TMP/son.wav" "$TMP/clip.mp4" "$TMP/air.ogg")

# 1. The start handle (just left of the track, 24 points in, 258 down for a sound) to the
# track's middle (x 310), then Return.
couper "$TMP/son.wav" && {
    xdotool mousemove $((WX + 24)) $((WY + 258)) mousedown 1
    for x in 60 120 180 240 290 310; do
        xdotool mousemove $((WX + x)) $((WY + 258))
        sleep 0.03
    done
    sleep 0.05
    xdotool mouseup 1
    sleep 0.3
    xdotool key Return
    verifier 10 "créé son (coupé).wav" dans_journal "créé son (coupé).wav"
    COUPE="$TMP/son (coupé).wav"
    D=$(soxi -D "$COUPE" 2>/dev/null)
    awk -v d="${D:-0}" 'BEGIN {exit !(d > 4.8 && d < 5.2)}' && ok "5 s gardées ($D s)" || echec "durée ${D:-?} s"
    # The copy starts at frame 441000 − its length and is the source's, bit for bit.
    TRAMES=$(soxi -s "$COUPE" 2>/dev/null)
    DEBUT=$((441000 - ${TRAMES:-0}))
    [ "$(sox "$TMP/son.wav" -t raw - trim "${DEBUT}s" | sha256sum)" = "$(sox "$COUPE" -t raw - | sha256sum)" ] \
        && ok "les échantillons de la source à partir de la trame $DEBUT" || echec "échantillons différents de la source"
    verifier 3 "la fenêtre se ferme après la coupe" sans_fenetre
    arreter
}

# 2. An OGG is heard through a temporary WAV while the window is open; Escape removes it.
couper "$TMP/air.ogg" && {
    verifier 10 "une écoute temporaire pendant que la fenêtre est ouverte" une_ecoute
    xdotool key Escape
    verifier 3 "Échap ferme la fenêtre" sans_fenetre
    [ "$(ecoutes)" = 0 ] && ok "plus d’écoute temporaire après la fermeture" || echec "écoute temporaire restée"
    arreter
}

# 3. An MP4, the whole passage: the same codecs, copied.
couper "$TMP/clip.mp4" && {
    xdotool key Return
    verifier 10 "créé clip (coupée).mp4" dans_journal "créé clip (coupée).mp4"
    codecs() { ffprobe -v error -show_entries stream=codec_name -of csv=p=0 "$1" | tr '\n' ' '; }
    [ "$(codecs "$TMP/clip (coupée).mp4")" = "$(codecs "$TMP/clip.mp4")" ] \
        && ok "codecs gardés : $(codecs "$TMP/clip.mp4")" || echec "codecs changés : $(codecs "$TMP/clip (coupée).mp4")"
    arreter
}

[ "$(sha256sum "$TMP/son.wav" "$TMP/clip.mp4" "$TMP/air.ogg")" = "$AVANT" ] && ok "sources intactes" || echec "une source a changé"

conclure
