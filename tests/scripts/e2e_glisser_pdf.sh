#!/bin/bash
# End to end on a private X server: real Shift-drags of PDFs. A few kilobytes declaring eight
# million cross-reference entries must not hold the wheel: a drop made at once on the JPG petal
# is taken. A PDF whose table is broken gets « Séparer » while the wheel is open, and a drop
# there splits it.
# Usage: e2e_glisser_pdf.sh BUILD_DIR
set -u
source "$(dirname "$0")/../outils/x11_prive.sh" "${1:?build folder}"
source "$(dirname "$0")/../outils/verifications.sh"

python3 - "$TMP/millions.pdf" "$TMP/casse.pdf" <<'PY' || exit 1
import sys, zlib
tetes = [b"<< /Type /Catalog /Pages 2 0 R >>", b"<< /Type /Pages /Kids [3 0 R 4 0 R 5 0 R] /Count 3 >>"] \
        + [b"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] >>"] * 3
def debut(version):
    pdf, positions = bytearray(b"%PDF-" + version + b"\n"), []
    for corps in tetes:
        positions.append(len(pdf))
        pdf += b"%d 0 obj\n%s\nendobj\n" % (len(positions), corps)
    return pdf, positions
# Eight million entries in a compressed stream, all free but the first few.
pdf, positions = debut(b"1.5")
positions.append(len(pdf))
n = 8000000
lignes = bytearray(4 * n)
lignes[3] = 255
for i, p in enumerate(positions, 1):
    lignes[4 * i:4 * i + 3] = bytes([1, p >> 8, p & 255])
flux = zlib.compress(bytes(lignes), 9)
pdf += b"6 0 obj\n<< /Type /XRef /Size %d /W [1 2 1] /Root 1 0 R /Filter /FlateDecode /Length %d >>\nstream\n" % (n, len(flux))
pdf += flux + b"\nendstream\nendobj\nstartxref\n%d\n%%%%EOF\n" % positions[-1]
open(sys.argv[1], "wb").write(pdf)
# A plain table whose offsets are all wrong.
pdf, positions = debut(b"1.4")
table = len(pdf)
pdf += b"xref\n0 6\n0000000000 65535 f \n" + b"".join(b"%010d 00000 n \n" % (100 + 7 * i) for i in range(1, 6))
pdf += b"trailer << /Size 6 /Root 1 0 R >>\nstartxref\n%d\n%%%%EOF\n" % table
open(sys.argv[2], "wb").write(pdf)
PY

"$APP" >"$TMP/app.log" 2>&1 &
APP_PID=$!
PIDS+=($APP_PID)
attendre 10 dans_journal "Vemo Vododod lancé" || { echec "pas de « Vemo Vododod lancé »"; cat "$TMP/app.log"; exit 1; }

# glisser FICHIER: a Shift-drag from another application until the wheel opens; its centre
# in CX, CY.
glisser() {
    "$SOURCE_GLISSER" 100 300 "$1" >"$TMP/source.log" 2>&1 &
    SOURCE_PID=$!
    PIDS+=($SOURCE_PID)
    attendre 10 grep -q prete "$TMP/source.log" || { echec "la source ne s’affiche pas"; exit 1; }
    sleep 0.3
    local avant
    avant=$(ouvertures)
    xdotool mousemove 200 400
    sleep 0.1
    xdotool mousedown 1
    sleep 0.1
    bouger 260 420
    xdotool keydown shift
    bouger 420 430
    verifier 5 "roue ouverte pour $(basename "$1")" plus_d_ouvertures_que "$avant"
    local centre
    centre=$(grep -o "roue ouverte en [-0-9]*,[-0-9]*" "$JOURNAL" | tail -1 | sed 's/roue ouverte en //')
    CX=${centre%,*}
    CY=${centre#*,}
}
lacher() {
    xdotool mouseup 1
    xdotool keyup shift
    kill "$SOURCE_PID" 2>/dev/null
}

# 1. Straight onto the JPG petal, the first of the ring, and dropped there at once.
glisser "$TMP/millions.pdf"
bouger "$CX" $((CY - 125))
lacher
verifier 5 "le dépôt pendant le compte des pages est pris" dans_journal "déposé [\"millions.pdf\"] sur jpg"
verifier 5 "la roue se referme" roue_cachee

# 2. Hovering while the pages are counted; « Séparer » is the fifth of six petals then.
glisser "$TMP/casse.pdf"
bouger "$CX" $((CY - 125))
sleep 2
bouger $((CX - 108)) $((CY + 62))
sleep 0.2
bouger $((CX - 110)) $((CY + 63))
lacher
verifier 5 "« Séparer » offert et pris" dans_journal "déposé [\"casse.pdf\"] sur separer"
verifier 20 "trois pages séparées" test -s "$TMP/casse page 3.pdf"

conclure
