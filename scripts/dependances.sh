#!/usr/bin/env bash
# Installs, with apt-get, every Debian package listed in scripts/paquets/*.txt that is missing,
# then the cut-out's model.
set -euo pipefail
ici=$(cd "$(dirname "$0")" && pwd)
paquets=$(grep -hv '^\s*\(#\|$\)' "$ici"/paquets/*.txt | sort -u)
manquants=()
for p in $paquets; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || manquants+=("$p")
done
if [ ${#manquants[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  echo "Installation de : ${manquants[*]}" >&2
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get -o DPkg::Lock::Timeout=900 update -q
  $sudo apt-get -o DPkg::Lock::Timeout=900 install -y -q "${manquants[@]}"
fi
# Without the model (no network) the application still builds and cuts out the classical way;
# the tests of the learned road then say the model is missing.
"$ici/modele_detour.sh" || echo "Modèle de détourage non installé : le détourage classique le remplacera" >&2
