#!/usr/bin/env bash
# Acceptance run: the application's self-test on its own samples and on exotic files made
# here, then its report checked line by line and its outputs by readers that are not ours.
# Ends with "N passed, N failed"; fails when any check fails.
set -u
build=${1:?dossier de construction}
app="$build/vemo-vododod"
travail=$(mktemp -d)
trap 'rm -rf "$travail"' EXIT
export QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8

reussis=0; rates=0
bon() { reussis=$((reussis + 1)); }
mauvais() { rates=$((rates + 1)); printf '✗ %s\n' "$1"; }
verifier() { if eval "$2" >/dev/null 2>&1; then bon; else mauvais "$1"; fi; }

rapport="$travail/essai/rapport.txt"
# A line of the report, exact.
ligne() { if grep -qxF -- "$1" "$rapport"; then bon; else mauvais "ligne attendue : $1"; fi; }
# A line of the report, as an extended regular expression over the whole line.
motif() { if grep -qxE -- "$1" "$rapport"; then bon; else mauvais "motif attendu : $1"; fi; }
absent() { if grep -qF -- "$1" "$rapport"; then mauvais "ligne inattendue : $1"; else bon; fi; }

# Exotic files, beside the self-test's folder.
ex="$travail/exotiques"; mkdir -p "$ex"
ff() { ffmpeg -v error -nostdin -y "$@"; }
ff -f lavfi -i "sine=frequency=330:duration=1" -c:a libvorbis "$ex/Chant.ogg"
ff -f lavfi -i "sine=frequency=550:duration=1" -c:a libopus "$ex/Voix.opus"
ff -f lavfi -i "testsrc=size=320x240:rate=25" -t 1 -c:v libvpx -deadline realtime -b:v 300k "$ex/Clip.webm"
ff -f lavfi -i "testsrc=size=321x241:rate=25" -f lavfi -i "sine=frequency=440:duration=1" -t 1 \
   -c:v libx264 -pix_fmt yuv444p -c:a aac "$ex/Impaire.mkv"
ff -f lavfi -i "testsrc=size=320x240:rate=25" -t 1 -c:v libx264 -pix_fmt yuv420p "$ex/Muet.mkv"
head -c 3000 "$ex/Muet.mkv" > "$ex/Abime.mkv"
printf 'rien de connu\n' > "$ex/Inconnu.xyz"
# A name from an old disk: a Latin-1 byte, then a character beyond U+FFFF.
reveil=$(printf 'R\xe9veil\xf0\x9f\x92\xa9')
cp "$ex/Chant.ogg" "$ex/$reveil.ogg"

debut=$(date +%s)
"$app" --essai="$travail/essai" > "$travail/sortie.txt" 2> "$travail/erreurs.txt"
code=$?
verifier "l'essai se termine normalement (code $code)" "[ $code -eq 0 ]"
verifier "le rapport existe" "[ -s '$rapport' ]"
[ -s "$rapport" ] || { cat "$travail/erreurs.txt"; echo "$reussis passed, $((rates + 1)) failed"; exit 1; }
verifier "le rapport est aussi sur la sortie standard" "grep -qF 'Pointage (4 pétales)' '$travail/sortie.txt'"
echo "essai en $(( $(date +%s) - debut )) s"

d="$travail/essai"
s=' — [0-9]+\.[0-9]{2} s'      # a duration
o='[0-9]+ o'                   # a size

# Image formats this build writes.
motif "Formats d’image que ce PC sait écrire : .*public\.heic.*public\.jpeg.*public\.png.*"
motif "Formats d’image que ce PC sait écrire : .*org\.webmproject\.webp.*"

# The sample image and every petal it gets.
ligne "Mandarine.png → pétales : JPG, HEIC, WebP, PDF, Plus légère, Texte, Détourer"
motif "  ✓ Mandarine\.jpg — $o, 800×500, coin transparent devenu blanc$s"
motif "  ✓ Mandarine\.heic — $o, 800×500$s"
motif "  ✓ Mandarine\.webp — $o, 800×500$s"
motif "  ✓ Mandarine\.pdf — $o, 1 page\(s\)$s"
motif "  ✓ Mandarine \(légère\)\.png — $o, 800×500$s"
ligne "  ✗ ocr : Aucun texte dans « Mandarine.png »"
motif "  ✓ Mandarine \(détourée\)\.png — $o, 800×500$s"

# The two-page PDF.
ligne "Page 001.pdf → pétales : JPG, PNG, Texte, Word, Séparer"
for n in 1 2; do
  motif "  ✓ Page 001 page $n\.jpg — $o, 2479×3508, coin transparent devenu blanc$s"
  motif "  ✓ Page 001 page $n\.png — $o, 2479×3508$s"
  motif "  ✓ Page 001 page $n\.pdf — $o, 1 page\(s\)$s"
done
motif "  ✓ Page 001\.txt — $o, contient « Mandarine » : true$s"
motif "  ✓ Page 001\.docx — $o, relu par le PC : true$s"

# Sounds.
ligne "La.m4a → pétales : MP3, WAV, AIFF, Couper"
for e in mp3 wav aiff; do
  motif "  ✓ La\.$e — $o, 2\.0[0-9] s, piste image 0, piste son 1, 44100 Hz, 2 canal\(aux\)$s"
done
ligne "Glass.aiff → pétales : MP3, M4A, WAV, Couper"
for e in mp3 m4a wav; do
  motif "  ✓ Glass\.$e — $o, 1\.[45][0-9] s, piste image 0, piste son 1, 44100 Hz, 1 canal\(aux\)$s"
done
absent "  ✓ Balle.couper"
absent "  ✗ couper"

# Movies.
ligne "Balle.mov → pétales : MP4, GIF, Son, Plus légère, Couper"
motif "  ✓ Balle\.mp4 — $o, 2\.0[0-9] s, piste image 1, piste son 1, 44100 Hz, 2 canal\(aux\)$s"
motif "  ✓ Balle\.gif — $o, [0-9]+ images, 480×270$s"
motif "  ✓ Balle\.m4a — $o, 2\.0[0-9] s, piste image 0, piste son 1, 44100 Hz, 2 canal\(aux\)$s"
motif "  ✓ Balle \(légère\)\.mp4 — $o, 2\.0[0-9] s, piste image 1, piste son 1, 44100 Hz, 2 canal\(aux\)$s"
ligne "Muette.mov → pétales : MP4, GIF, Son, Plus légère, Couper"
ligne "  ✗ m4a : « Muette.mov » n’a pas de son"
motif "  ✓ Muette\.mp4 — $o, 2\.0[0-9] s, piste image 1, piste son 0$s"

# Batches and petal lists of the driver.
ligne "Deuxième JPG : Mandarine 2.jpg"
motif "Lot de 2 images → PDF : \[\"Mandarine 2 et 1 autres\.pdf\"\] \[\"$o, 2 page\(s\)\"\] erreurs=\[\]"
ligne "Pétale PDF d’un lot : « Une archive zip »"
ligne "Pétales de 2 PDF : JPG, PNG, Texte, Word, Un seul PDF, Zip"
ligne "Fusion de 2 PDF → Annexe et 1 autres.pdf, 4 pages, dans l’ordre : Annexe / Annexe / Mandarine / Mandarine"
ligne "Pétales image + PDF : [\"Un seul PDF\", \"Zip\"]"
motif "Image \+ PDF → Mandarine et 1 autres\.pdf, 3 pages, page 1 de 800 pt \(l’image\), texte page 2 : « Mandarine, page 1.* »"
ligne "Pétales image + son : [\"Zip\"] ; un WEBM : [\"MP4\", \"Son\"]"

# The first series.
ligne "— Premier lot —"
ligne "Pétales d'un dossier : [\"Zip\"]"
motif "  ✓ dossier en zip → Dossier photos\.zip — $o, contient : Dossier photos/, Dossier photos/(Mandarine\.png|Page 001\.pdf), Dossier photos/(Mandarine\.png|Page 001\.pdf)$s"
motif "  ✓ image \+ son en zip → Mandarine et 1 autres\.zip — contient : Mandarine\.png, La\.m4a$s"
ligne "Pétales d'un zip : [\"Extraire\"]"
motif "  ✓ extraire le zip → Dossier photos — dossier : \[\"Mandarine\.png\", \"Page 001\.pdf\"\]$s"
motif "  ✓ photo 4000 px plus légère \([0-9]+ o\) → Grande \(légère\)\.jpg — 1920×1440, $o$s"
motif "  ✓ PNG transparent plus léger → Mandarine \(légère\) 2\.png — 800×500, reste en PNG$s"
motif "  ✓ vidéo plus légère → Balle \(légère\) 2\.mp4 — $o, 2\.0[0-9] s, piste image 1, piste son 1.*$s"
ligne "Pétales d'une image : [\"JPG\", \"HEIC\", \"WebP\", \"PDF\", \"Plus légère\", \"Texte\", \"Détourer\"]"
motif "  ✓ texte de l'image → Facture\.txt — « .*Facture.*Mandarine.* »$s"
ligne "Le PDF scanné contient du texte : false"
motif "  ✓ PDF scanné en texte → Scan\.txt — « .*Facture.*Mandarine.* »$s"
motif "(  ✓ détourer une page de texte → Facture \(détourée\)\.png —  — [0-9]+\.[0-9]{2} s|  ✗ détourer une page de texte : \[\"Aucun sujet trouvé dans « Facture\.png »\"\])"
ligne "Pétales du GIF animé : [\"JPG\", \"PNG\", \"HEIC\", \"WebP\", \"PDF\", \"Vidéo\", \"Plus légère\"]"
motif "  ✓ GIF animé en vidéo → Balle 2\.mp4 — $o, [12]\.[0-9]{2} s, piste image 1, piste son 0$s"
ligne "Pétales d'un PDF de 2 pages : [\"JPG\", \"PNG\", \"Texte\", \"Word\", \"Séparer\"]"
motif "  ✓ séparer → Page 001 page 1 2\.pdf — 1 page, « Mandarine, page 1 »$s"
motif "  ✓ séparer → Page 001 page 2 2\.pdf — 1 page, « Mandarine, page 2 »$s"
ligne "Pétales d'un RTF : [\"PDF\", \"Word\", \"Texte\"] ; d'un texte : [\"PDF\", \"Word\"]"
motif "  ✓ RTF en PDF → Lettre\.pdf — [3-9] pages, page 1 commence par « Chère Mandarine, »$s"
motif "  ✓ RTF en Word → Lettre\.docx — relu : 24[0-9]{3} caractères$s"
motif "  ✓ texte en PDF → Notes\.pdf — « Notes en texte brut / Été, déjà, où : les accents passent\. »$s"
motif "  ✓ Word en PDF → Lettre 2\.pdf — [3-9] pages$s"

# Exotic files.
motif "— Moteur ffmpeg : /.*ffmpeg —"
ligne "Chant.ogg → pétales : MP3, M4A, WAV, AIFF, Couper"
motif "  ✓ Chant\.mp3 — $o, 1\.0[0-9] s, piste image 0, piste son 1, 44100 Hz, 1 canal\(aux\)$s"
motif "  ✓ Voix\.m4a — $o, 1\.0[0-9] s, piste image 0, piste son 1, 48000 Hz, 1 canal\(aux\)$s"
ligne "Clip.webm → pétales : MP4, Son"
motif "  ✓ Clip\.mp4 — $o, 1\.0[0-9] s, piste image 1, piste son 0$s"
ligne "  ✗ m4a : « Clip.webm » n’a pas de son"
motif "  ✓ Impaire\.mp4 — $o, 1\.0[0-9] s, piste image 1, piste son 1.*$s"
motif "  ✓ Impaire\.m4a — $o, 1\.0[0-9] s, piste image 0, piste son 1, 44100 Hz, 1 canal\(aux\)$s"
ligne "  ✗ m4a : « Muet.mkv » n’a pas de son"
motif "    ffmpeg : .+"
motif "  ✗ mp4 : Impossible de lire « Abime\.mkv »"
ligne "Inconnu.xyz → pétales : Zip"
ligne "Réveil💩.ogg → pétales : MP3, M4A, WAV, AIFF, Couper"
for e in mp3 m4a wav aiff; do
  motif "  ✓ Réveil💩\.$e — $o, 1\.0[0-9] s, piste image 0, piste son 1, 44100 Hz, 1 canal\(aux\)$s"
  verifier "$e de Réveil💩 sous les octets de sa source" "[ -s '$d/Exotiques/$reveil.$e' ]"
done
verifier "aucun dossier caché laissé parmi les exotiques" "! ls -A '$d/Exotiques' | grep -q '^\.'"

# ffmpeg's words: one line per failed run, in its place, just before its conversion's line.
# The lines of one exotic file, from its petal line to the next file's.
section() { awk -v t="$1 → pétales : " 'index($0, t) == 1 {d = 1; print; next} d && / → pétales : / {exit} d' "$rapport"; }
abime=$(section Abime.mkv | sed -E 's/^(    ffmpeg : ).+/\1…/')
attendu=$(printf '%s\n' "Abime.mkv → pétales : MP4, Son" "    ffmpeg : …" "  ✗ mp4 : Impossible de lire « Abime.mkv »" \
                       "    ffmpeg : …" "  ✗ m4a : « Abime.mkv » n’a pas de son")
verifier "les lignes du MKV abîmé, dans l'ordre" "[ \"\$abime\" = \"\$attendu\" ]"
motif "    ffmpeg : .+ \| .+ \| Conversion failed!"
verifier "chaque ligne ffmpeg, seule, précède la ligne de sa conversion" \
  "awk '/^    ffmpeg : /{ if (f) exit 1; f = 1; next } f && !/^  (✗|✓) /{ exit 1 } { f = 0 } END { exit f }' '$rapport'"
verifier "aucune ligne ffmpeg avant l'en-tête des fichiers exotiques" \
  "! sed -n '/^— Moteur ffmpeg/q;p' '$rapport' | grep -q '^    ffmpeg : '"

ligne "Pointage (4 pétales) : haut=Optional(0) droite=Optional(1) bas=Optional(2) gauche=Optional(3) milieu=nil"
absent "✗ jpg"
absent "✗ png"
absent "pas encore disponible"

# The nine pictures of the wheel.
for nom in roue-image roue-video roue-video-sombre roue-son-sombre roue-progression roue-progression-sombre \
           roue-echec roue-deux-pdf roue-deux-pdf-sombre; do
  verifier "$nom.png fait 1280×1280" "[ \"\$(vipsheader -f width '$d/$nom.png')x\$(vipsheader -f height '$d/$nom.png')\" = 1280x1280 ]"
done
moyenne() { vips crop "$1" "$travail/zone.v" "$2" "$3" 24 24 && vips avg "$travail/zone.v"; }
verifier "clair et sombre diffèrent" "! cmp -s '$d/roue-video.png' '$d/roue-video-sombre.png'"
verifier "la progression se voit" "! cmp -s '$d/roue-video.png' '$d/roue-progression.png'"
# roue-image lights its first petal (top); compare it with the third, at the same distance.
haut=$(moyenne "$d/roue-image.png" 628 362); bas=$(moyenne "$d/roue-image.png" 628 894)
verifier "le pétale survolé se distingue ($haut / $bas)" "[ '$haut' != '$bas' ]"

# Outputs checked by readers that are not ours.
for f in "$d"/*.pdf "$d"/*/*.pdf; do [ -e "$f" ] || continue
  verifier "qpdf --check $(basename "$f")" "qpdf --check '$f'"
done
for f in "$d"/*.zip; do verifier "unzip -t $(basename "$f")" "unzip -tq '$f'"; done
for f in "$d"/*.mp4 "$d"/*.mov "$d"/*.m4a "$d"/*.mp3 "$d"/Exotiques/*.mp4; do [ -e "$f" ] || continue
  verifier "ffprobe $(basename "$f")" "ffprobe -v error '$f'"
done
for f in "$d"/*.heic; do verifier "heif-info $(basename "$f")" "heif-info '$f'"; done
verifier "docx2txt relit la lettre" "docx2txt '$d/Lettre.docx' - | grep -q 'Mandarine'"
verifier "pdftotext relit la facture scannée en texte" "grep -q Mandarine '$d/Scan.txt'"

# A second run on the same folder starts from an emptied one, names that are not UTF-8 too.
"$app" --essai="$travail/essai" > /dev/null 2>&1
motif "  ✓ Réveil💩\.mp3 — $o, 1\.0[0-9] s, piste image 0, piste son 1, 44100 Hz, 1 canal\(aux\)$s"
verifier "le second essai repart d'un dossier vidé" "[ ! -e '$d/Exotiques/exotiques' ] && [ ! -e '$d/Exotiques/$reveil 2.mp3' ]"

echo "$reussis passed, $rates failed"
[ "$rates" -eq 0 ]
