#!/usr/bin/env bash
# The self-test with no "exotiques" folder beside its own: it runs to its end, its report has
# every section but the exotic files' one, and it leaves nothing beside the folder it was given.
set -u
build=${1:?dossier de construction}
travail=$(mktemp -d)
trap 'rm -rf "$travail"' EXIT
export QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8 XDG_STATE_HOME="$travail/etat"
echecs=0
echec() { echo "ÉCHEC : $*"; echecs=$((echecs + 1)); }

"$build/vemo-vododod" --essai="$travail/essai" >"$travail/sortie.txt" 2>"$travail/erreurs.txt"
code=$?
rapport="$travail/essai/rapport.txt"
[ "$code" -eq 0 ] || echec "code de sortie $code"
[ -s "$rapport" ] || { echec "pas de rapport"; cat "$travail/erreurs.txt"; exit 1; }
grep -qF "Mandarine.png → pétales" "$rapport" || echec "les échantillons manquent au rapport"
grep -qF "Pointage (4 pétales)" "$rapport" || echec "le pointage manque au rapport"
grep -qF "Moteur ffmpeg" "$rapport" && echec "une section des fichiers exotiques sans dossier exotiques"
[ -e "$travail/essai/Exotiques" ] && echec "un dossier Exotiques créé sans source"
reste=$(ls -A "$travail" | grep -vx -e essai -e etat -e sortie.txt -e erreurs.txt)
[ -z "$reste" ] || echec "laissé à côté du dossier : $reste"
((echecs == 0)) && echo "toutes les vérifications passent" || exit 1
