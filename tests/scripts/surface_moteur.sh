#!/usr/bin/env bash
# The engine's public headers stay free of the platform's libraries: no header under
# src/conversions may include a libav, X11 or GIO header, directly or through one of our
# own headers. Those libraries are linked privately; a header that needs them leaks them
# into every folder that includes it.
set -u
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
interdits='^\s*#\s*include\s*<(libav[a-z]*|libsw[a-z]*|X11|gio)/'

# Prints "header: offending include (via chain)" for every engine header under $1/conversions.
fautes() {
    local src=$1
    python3 - "$src" "$interdits" <<'PY'
import pathlib, re, sys
src = pathlib.Path(sys.argv[1]); interdit = re.compile(sys.argv[2]); nos = re.compile(r'^\s*#\s*include\s*"([^"]+)"')
def suivre(h, chaine, vus):
    if h in vus or not h.is_file():
        return
    vus.add(h)
    for ligne in h.read_text(errors="replace").splitlines():
        if interdit.search(ligne):
            yield f"{' -> '.join(chaine)}: {ligne.strip()}"
        elif m := nos.match(ligne):
            inclus = src / m.group(1)
            yield from suivre(inclus, chaine + [m.group(1)], vus)
for h in sorted((src / "conversions").rglob("*.h")):
    for faute in suivre(h, [str(h.relative_to(src))], set()):
        print(faute)
PY
}

# The check itself must see a leak, direct or through a platform header.
essai=$(mktemp -d)
trap 'rm -rf "$essai"' EXIT
mkdir -p "$essai/conversions/media" "$essai/plateforme"
printf '#pragma once\n#include <libavformat/avformat.h>\n' > "$essai/plateforme/Fuite.h"
printf '#pragma once\n#include "plateforme/Fuite.h"\n' > "$essai/conversions/media/Indirect.h"
printf '#pragma once\n#include <X11/extensions/XInput2.h>\n' > "$essai/conversions/Direct.h"
printf '#pragma once\n#  include <gio/gio.h>\n' > "$essai/conversions/Gio.h"
printf '#pragma once\n#include <glib-object.h>\n#include <QString>\n' > "$essai/conversions/Propre.h"
temoin=$(fautes "$essai")
if [ "$(printf '%s\n' "$temoin" | grep -c .)" -ne 3 ] || printf '%s' "$temoin" | grep -q Propre.h; then
    printf 'the check misses or invents leaks:\n%s\n' "$temoin"
    exit 1
fi

trouve=$(fautes "$source_dir/src")
if [ -n "$trouve" ]; then
    printf 'engine headers that include a platform library:\n%s\n' "$trouve"
    exit 1
fi
echo "engine headers: no libav, X11 or GIO include"
