#!/usr/bin/env bash
# The self-test with no "exotiques" folder beside its own: it runs to its end, its report has
# every section but the exotic files' one, and it leaves nothing beside the folder it was given.
# Run again, it takes its own folder back, never a folder of someone's that holds a report.
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

# Its own folder is taken again, and gives the same files; someone's folder that merely holds
# a report is refused and left as it was.
premiers=$(ls -A "$travail/essai")
"$build/vemo-vododod" --essai="$travail/essai" >/dev/null 2>"$travail/erreurs.txt" || echec "second essai refusé : $(cat "$travail/erreurs.txt")"
[ "$(ls -A "$travail/essai")" = "$premiers" ] || echec "le second essai ne donne pas les mêmes fichiers"
mkdir -p "$travail/memoire/sous"
echo "le rapport de stage" >"$travail/memoire/rapport.txt"
echo "des mois de travail" >"$travail/memoire/these.odt"
echo "une photo" >"$travail/memoire/sous/photo.jpg"
"$build/vemo-vododod" --essai="$travail/memoire" >/dev/null 2>"$travail/erreurs.txt" && echec "un dossier d’autrui accepté"
grep -qF "ne viennent pas d’un essai" "$travail/erreurs.txt" || echec "refus sans explication : $(cat "$travail/erreurs.txt")"
[ "$(cd "$travail/memoire" && find . | sort | tr '\n' ' ')" = ". ./rapport.txt ./sous ./sous/photo.jpg ./these.odt " ] \
    || echec "le dossier d’autrui a changé"
((echecs == 0)) && echo "toutes les vérifications passent" || exit 1
