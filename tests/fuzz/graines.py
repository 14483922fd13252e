#!/usr/bin/env python3
"""Makes the seed corpus of the fuzz entry points from documents written by pandoc and
pictures drawn by ffmpeg (run from this folder; needs pandoc and ffmpeg)."""
import io, os, struct, subprocess, sys, tempfile, zipfile, zlib

ICI = os.path.dirname(os.path.abspath(__file__))
TEXTE = """# Titre principal

Un paragraphe avec du **gras**, de l'*italique* et du `code`, puis un [lien](https://exemple.org).

- premier point
- second point
    1. sous-liste numérotée
    2. encore

Une phrase avec une note[^1] et une autre[^2].

![Un carré rouge](carre.png){width=2cm height=1cm}

> Une citation, ***gras et italique***, des accents : é à ç œ « » — €.

| a | b |
|---|---|
| 1 | 2 |

[^1]: Le texte de la note.
[^2]: Une seconde note, **grasse**.
"""


def graine(cible, nom, octets):
    dossier = os.path.join(ICI, "corpus", cible)
    os.makedirs(dossier, exist_ok=True)
    with open(os.path.join(dossier, nom), "wb") as f:
        f.write(octets)


def parties(paquet, noms, renommer):
    """The package's parts in the entry point's order, joined by NUL bytes."""
    with zipfile.ZipFile(paquet) as z:
        present = {n: z.read(n) for n in z.namelist()}
    morceaux = []
    for nom in noms:
        source = renommer.get(nom, nom)
        octets = present.get(source, b"")
        for avant, apres in renommer.get("remplacer", []):
            octets = octets.replace(avant, apres)
        morceaux.append(octets)
    while len(morceaux) > 1 and not morceaux[-1]:
        morceaux.pop()
    return b"\0".join(morceaux)


def graines_des_liens():
    """Unpacking through links: entries as the entry point reads them (kind, count of names, an
    index per name, a target's index for a link), each variant of a link given a free name."""
    def f(*noms):
        return bytes([0, len(noms) - 1, *noms])
    def d(*noms):
        return bytes([1, len(noms) - 1, *noms])
    def l(cible, *noms):
        return bytes([2, len(noms) - 1, *noms, cible])
    X, X2, A, A2, D, E, E2, HAUT, POINT, VIDE, XD, X2D, SANS, SANS2, CANARI, X3 = range(16)
    DEHORS, COURANT, PARENT, MEME, VERS_X, BAC, VERS_CANARI, VERS_X2, COURANT_PARENT, ABSOLU, SOUS = range(11)
    for nom, entrees in (
            ("fichier_puis_lien", [f(X), l(DEHORS, X), f(X2, CANARI)]),
            ("dossier_puis_lien", [d(X), l(ABSOLU, X), f(X2, A)]),
            ("deux_liens", [l(ABSOLU, A), l(ABSOLU, A), f(A2, X)]),
            ("extension", [f(XD), l(DEHORS, XD), f(X2D, X)]),
            ("sans_nom", [f(VIDE), l(DEHORS, VIDE), f(SANS2, X)]),
            ("implicite", [f(X, A), l(DEHORS, X), f(X2, A)]),
            ("imbrique", [f(D, E), l(DEHORS, D, E), f(D, E2, X)]),
            ("dossier_courant", [f(X), l(COURANT, X), f(X2, CANARI)]),
            ("efface", [f(X), l(DEHORS, X), d(X2, CANARI)]),
            ("point", [l(DEHORS, A), f(POINT, A, X)]),
            ("barres", [l(SOUS, A), f(A, VIDE, CANARI)]),
            ("remonte", [f(HAUT, X), f(A, HAUT, HAUT, X)]),
            ("lien_de_lien", [l(DEHORS, X), l(VERS_X, A), f(A, CANARI)]),
            ("vers_le_bac", [f(X), l(BAC, X), l(COURANT_PARENT, X), f(X3, X)]),
            ("fichier_puis_dossier", [f(X), f(X, A), d(X), f(X2, X), l(VERS_X2, X)]),
            ("parent_et_canari", [l(PARENT, A), l(VERS_CANARI, X), f(A, CANARI), d(X, A), l(MEME, E), f(E, SANS)]),
    ):
        graine("deballage_liens", nom, b"".join(entrees))


def flux_court():
    """A zip whose first deflate stream ends 32 bytes before the size its headers give."""
    b = io.BytesIO()
    with zipfile.ZipFile(b, "w", zipfile.ZIP_DEFLATED) as z:
        z.writestr("suite/un.txt", "premier\n" * 50)
        z.writestr("suite/deux.txt", "second\n" * 50)
    src = b.getvalue()
    un = zipfile.ZipFile(io.BytesIO(src)).infolist()[0]
    fin = un.header_offset + 30 + len(un.filename) + len(un.extra) + un.compress_size
    o = bytearray(src[:fin] + bytes(32) + src[fin:])
    struct.pack_into("<I", o, un.header_offset + 18, un.compress_size + 32)
    eocd = o.rfind(b"PK\x05\x06")
    p = struct.unpack_from("<I", o, eocd + 16)[0] + 32
    struct.pack_into("<I", o, eocd + 16, p)
    while o[p:p + 4] == b"PK\x01\x02":
        n, m, k = struct.unpack_from("<HHH", o, p + 28)
        decalage = struct.unpack_from("<I", o, p + 42)[0]
        if decalage >= fin:
            struct.pack_into("<I", o, p + 42, decalage + 32)
        else:
            struct.pack_into("<I", o, p + 20, un.compress_size + 32)
        p += 46 + n + m + k
    graine("entrees_speciales", "flux_court.zip", bytes(o))
    graine("deballage", "flux_court.zip", bytes(o))


def lancer(*commande, cwd):
    subprocess.run(commande, cwd=cwd, check=True)


with tempfile.TemporaryDirectory() as t:
    lancer("ffmpeg", "-loglevel", "error", "-f", "lavfi", "-i", "color=red:s=8x8", "-frames:v", "1",
           "carre.png", cwd=t)
    with open(os.path.join(t, "essai.md"), "w") as f:
        f.write(TEXTE)
    for ext in ("rtf", "docx", "odt"):
        lancer("pandoc", "-s", "essai.md", "-o", "essai." + ext, cwd=t)
    graine("rtf", "pandoc.rtf", open(os.path.join(t, "essai.rtf"), "rb").read())
    with zipfile.ZipFile(os.path.join(t, "essai.docx")) as z:
        media = [n for n in z.namelist() if n.startswith("word/media/")][0]
    graine("docx", "pandoc.docx", parties(os.path.join(t, "essai.docx"),
        ["word/document.xml", "word/styles.xml", "word/numbering.xml", "word/footnotes.xml",
         "word/endnotes.xml", "word/_rels/document.xml.rels", "word/media/image1.png"],
        {"word/media/image1.png": media,
         "remplacer": [(media[len("word/"):].encode(), b"media/image1.png")]}))
    graine("odt", "pandoc.odt", parties(os.path.join(t, "essai.odt"),
        ["content.xml", "styles.xml", "Pictures/image1.png"],
        {"Pictures/image1.png": "Pictures/0.png", "remplacer": [(b"Pictures/0.png", b"Pictures/image1.png")]}))
    graine("deballage", "pandoc.docx", open(os.path.join(t, "essai.docx"), "rb").read())
    lancer("ffmpeg", "-loglevel", "error", "-f", "lavfi", "-i", "testsrc=s=16x16:r=2:d=1", "anime.gif", cwd=t)
    graine("gif", "anime.gif", open(os.path.join(t, "anime.gif"), "rb").read())
    graine("gif", "fixe.gif", b"GIF89a\x01\x00\x01\x00\x80\x00\x00\xff\x00\x00\x00\x00\x00"
           b"!\xf9\x04\x00\x00\x00\x00\x00,\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02D\x01\x00;")
    for nom, filtre in (("couleur.jpg", "format=yuvj420p"), ("gris.jpg", "format=gray")):
        lancer("ffmpeg", "-loglevel", "error", "-f", "lavfi", "-i", "testsrc=s=16x16", "-frames:v", "1",
               "-vf", filtre, nom, cwd=t)
        graine("jpeg", nom, open(os.path.join(t, nom), "rb").read())
    # EXIF orientation 6, big-endian, before the frame.
    exif = b"Exif\0\0MM\0*\0\0\0\x08\0\x01\x01\x12\0\x03\0\0\0\x01\0\x06\0\0\0\0\0\0"
    jpeg = open(os.path.join(t, "couleur.jpg"), "rb").read()
    graine("jpeg", "orientation.jpg", jpeg[:2] + b"\xff\xe1" + (len(exif) + 2).to_bytes(2, "big") + exif + jpeg[2:])

    # Hand-made: code pages, fonts with their own character set, lists, notes.
    graine("rtf", "pages.rtf", b"{\\rtf1\\ansi\\ansicpg932{\\fonttbl{\\f0\\fcharset0 Arial;}{\\f1\\fcharset128 MS;}"
           b"{\\f2\\fcharset204 Cyr;}}\\f0 Les Mis\\'e9rables \\f1 \\'82\\'a0 \\f2 \\'cf\\'f0{\\b\\uc2\\u8212\\'97\\'97}"
           b"\\par{\\pntext 1.\\tab}un\\par{\\*\\bkmkstart x}{\\field{\\*\\fldinst HYPERLINK}{\\fldrslt lien}}\\page fin}")
    # Code pages: the first byte is a font's character set, the rest is read in every page.
    graine("page_de_codes", "cp932", b"\x00\x05\x82\xa0\x82\xa2 a\x82")
    # Apple's Japanese through a font's character set (78), and its bytes that stand alone.
    graine("page_de_codes", "mac", b"\x4e\x82\xa8\x93\xc7\x80\xa0\xfd\xfe\xff\x82")
    # Apple's Simplified Chinese (80): its single bytes between double ones, a Korean pair refused.
    graine("page_de_codes", "mac_asie", b"\x50A\xa0\xd6\xd0\xce\xc4\x83\xc7\xd1\xb0\x83\xa2\xe8\xa4")
    # Compound files: Word 97 as word97.py writes it, short and long, and one whose directory's
    # chain loops on itself.
    mot97 = os.path.join(ICI, "..", "conversions", "documents", "word97.py")
    for nom, options in (("court.doc", []), ("long.doc", ["--long"])):
        graine("ole", nom, subprocess.run([sys.executable, mot97, *options, "Une lettre"], check=True,
                                          capture_output=True).stdout)
    boucle = bytearray(subprocess.run([sys.executable, mot97, "Une lettre"], check=True, capture_output=True).stdout)
    repertoire = struct.unpack_from("<I", boucle, 48)[0]
    fat = struct.unpack_from("<I", boucle, 76)[0]
    struct.pack_into("<I", boucle, 512 * (fat + 1) + 4 * repertoire, repertoire)
    graine("ole", "boucle.doc", bytes(boucle))
    # A Word package whose relationships name another part as its main one (endnotes.xml's place).
    w = b'xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main"'
    principale = b'<w:document ' + w + b'><w:body><w:p><w:r><w:t>Hello, world</w:t></w:r></w:p></w:body></w:document>'
    racine = (b'<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
              b'<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/'
              b'officeDocument" Target="word/endnotes.xml"/></Relationships>')
    graine("docx", "relations", b"\0".join([b"", b"", b"", b"", principale, b"", b"", racine]))
    # Equations: Office math in a Word body, a formula object in its own OpenDocument part.
    m = b'xmlns:m="http://schemas.openxmlformats.org/officeDocument/2006/math"'
    graine("docx", "formule", b'<w:document ' + w + b' ' + m + b'><w:body><w:p><w:r><w:t>a </w:t></w:r><m:oMath>'
           b'<m:f><m:num><m:r><m:t>\xcf\x80</m:t></m:r></m:num><m:den><m:r><m:t>2</m:t></m:r></m:den></m:f>'
           b'</m:oMath></w:p></w:body></w:document>')
    o = (b'xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" xmlns:text="urn:oasis:names:tc:'
         b'opendocument:xmlns:text:1.0" xmlns:draw="urn:oasis:names:tc:opendocument:xmlns:drawing:1.0" '
         b'xmlns:xlink="http://www.w3.org/1999/xlink" xmlns:math="http://www.w3.org/1998/Math/MathML"')
    graine("odt", "formule", b"\0".join([
        b'<office:document-content ' + o + b'><office:body><office:text><text:p>a <draw:frame><draw:object '
        b'xlink:href="./Object 1"/></draw:frame> <draw:frame><draw:object><math:math><math:mi>x</math:mi>'
        b'</math:math></draw:object></draw:frame></text:p></office:text></office:body></office:document-content>',
        b"", b"",
        b'<math:math ' + o + b'><math:semantics><math:mi>\xcf\x80</math:mi><math:annotation '
        b'math:encoding="StarMath 5.0">%pi over 2</math:annotation></math:semantics></math:math>']))
    graine("page_de_codes", "charset", b"\x80\xcc\xcf\xf0\xe8")
    with zipfile.ZipFile(os.path.join(t, "m.zip"), "w") as z:
        z.writestr("dossier/", b"")
        z.writestr("dossier/a.txt", b"bonjour " * 50)
        z.writestr("b.txt", b"x", compress_type=zipfile.ZIP_DEFLATED)
        lien = zipfile.ZipInfo("lien")
        lien.external_attr = 0o120777 << 16
        z.writestr(lien, "dossier/a.txt")
    graine("deballage", "melange.zip", open(os.path.join(t, "m.zip"), "rb").read())
    graines_des_liens()
    flux_court()
    # The special entries' walk: a Unix writer's pipe and device, plain and through Zip64 end records.
    def speciaux(chemin, zip64):
        import stat
        limites = (zipfile.ZIP64_LIMIT, zipfile.ZIP_FILECOUNT_LIMIT)
        if zip64:
            zipfile.ZIP64_LIMIT = zipfile.ZIP_FILECOUNT_LIMIT = 0
        with zipfile.ZipFile(chemin, "w") as z:
            for nom, mode in (("a.txt", stat.S_IFREG | 0o644), ("tube", stat.S_IFIFO | 0o644),
                              ("zero", stat.S_IFCHR | 0o666)):
                i = zipfile.ZipInfo(nom)
                i.create_system = 3
                i.external_attr = mode << 16
                z.writestr(i, b"texte" if nom == "a.txt" else b"")
        zipfile.ZIP64_LIMIT, zipfile.ZIP_FILECOUNT_LIMIT = limites
        octets = bytearray(open(chemin, "rb").read())
        if zip64:  # the short end record sends the reader to the Zip64 one
            fin = octets.rfind(b"PK\x05\x06")
            octets[fin + 12:fin + 20] = b"\xff" * 8
        return bytes(octets)
    graine("entrees_speciales", "speciaux.zip", speciaux(os.path.join(t, "s.zip"), False))
    graine("entrees_speciales", "speciaux64.zip", speciaux(os.path.join(t, "s64.zip"), True))

    # Colour profiles (colord-data, installed for the colour tests) and hand-made headers.
    for nom in ("sRGB.icc", "AdobeRGB1998.icc"):
        graine("icc", nom, open(os.path.join("/usr/share/color/icc/colord", nom), "rb").read())
    # A 128-byte header (colour space at 16) and an empty tag table.
    entete = lambda espace: (132).to_bytes(4, "big") + bytes(12) + espace + b"XYZ " + bytes(104) + bytes(4)
    graine("icc", "cmjn.icc", entete(b"CMYK"))
    graine("icc", "gris.icc", entete(b"GRAY"))
    # PNG chunks: whole pictures with and without alpha, one cut inside its pixel data.
    with tempfile.TemporaryDirectory() as t2:
        for nom, format in (("rgb.png", "rgb24"), ("rgba.png", "rgba")):
            lancer("ffmpeg", "-loglevel", "error", "-f", "lavfi", "-i", "testsrc=s=16x16", "-frames:v", "1",
                   "-pix_fmt", format, nom, cwd=t2)
            graine("png", nom, open(os.path.join(t2, nom), "rb").read())
        entier = open(os.path.join(t2, "rgb.png"), "rb").read()
        graine("png", "coupe.png", entier[:len(entier) // 2])

    # Pictures for libav's decoder: the first byte picks TIFF (0), BMP (1) or TGA (2).
    with tempfile.TemporaryDirectory() as t3:
        for octet, nom, options in ((0, "brut.tif", []), (0, "lzw.tif", ["-compression_algo", "lzw"]),
                                    (0, "yuv.tif", ["-pix_fmt", "yuv420p"]),
                                    (1, "image.bmp", ["-pix_fmt", "bgra"]),
                                    (2, "rle.tga", ["-pix_fmt", "bgra"]),
                                    (2, "brut.tga", ["-rle", "0", "-pix_fmt", "rgb555le"])):
            lancer("ffmpeg", "-loglevel", "error", "-f", "lavfi", "-i", "testsrc=s=16x12", "-frames:v", "1",
                   *options, nom, cwd=t3)
            graine("libav_images", nom, bytes([octet]) + open(os.path.join(t3, nom), "rb").read())

    # BMPs of bit fields: 16 bits with a 9-bit green under a V5 header, 32 bits under the
    # 40-byte header with four masks after it (BI_ALPHABITFIELDS).
    import struct
    def bmp_champs(taille_entete, compression, bits, masques, pixels, largeur, hauteur):
        entete = struct.pack("<IiiHHIIiiII", taille_entete, largeur, hauteur, 1, bits, compression,
                             len(pixels), 2835, 2835, 0, 0)
        entete += b"".join(struct.pack("<I", m) for m in masques)
        entete += bytes(max(0, taille_entete - len(entete)))
        debut = 14 + len(entete)
        return b"BM" + struct.pack("<IHHI", debut + len(pixels), 0, 0, debut) + entete + pixels
    graine("bmp_champs", "rgba16.bmp", bmp_champs(124, 3, 16, (0x0800, 0x07FC, 0x0003, 0xF000),
                                                 struct.pack("<4H", 0xF36E, 0x8FFF, 0xB803, 0) * 4, 4, 4))
    graine("bmp_champs", "rgba32.bmp", bmp_champs(40, 6, 32, (0xFF0000, 0xFF00, 0xFF, 0xFF000000),
                                                 struct.pack("<4I", 0xFFFF0000, 0x8000FF00, 0xFF, 0) * 3, 4, -3))

    # Old-style JPEG TIFFs: a JPEG drawn by ffmpeg is both the strip and the interchange format.
    def tiff_jpeg_ancien(jpeg, largeur, hauteur, facteur):
        champs = [(256, largeur), (257, hauteur), (258, None), (259, 6), (262, 6), (273, None), (277, 3),
                  (278, hauteur), (279, len(jpeg)), (513, None), (514, len(jpeg)), (530, None)]
        bits = 8 + 2 + 12 * len(champs) + 4
        debut = bits + 6
        o = b"II*\0" + struct.pack("<IH", 8, len(champs))
        for tag, v in champs:
            if tag == 258: o += struct.pack("<HHII", tag, 3, 3, bits)
            elif tag == 530: o += struct.pack("<HHIHH", tag, 3, 2, facteur, facteur)
            elif tag in (273, 513): o += struct.pack("<HHII", tag, 4, 1, debut)
            elif tag in (279, 514): o += struct.pack("<HHII", tag, 4, 1, v)
            else: o += struct.pack("<HHIHH", tag, 3, 1, v, 0)
        return o + struct.pack("<I", 0) + struct.pack("<HHH", 8, 8, 8) + jpeg
    with tempfile.TemporaryDirectory() as t4:
        for nom, format, facteur in (("ycc420.tif", "yuvj420p", 2), ("ycc444.tif", "yuvj444p", 1)):
            lancer("ffmpeg", "-loglevel", "error", "-y", "-f", "lavfi", "-i", "testsrc=s=16x16", "-frames:v", "1",
                   "-pix_fmt", format, "image.jpg", cwd=t4)
            graine("tiff_jpeg_ancien", nom, tiff_jpeg_ancien(open(os.path.join(t4, "image.jpg"), "rb").read(), 16, 16, facteur))

    # TIFFs of odd samples: 12-bit grey (plain, white at zero, predicted under deflate), 12-bit
    # RGB, half floats.
    def tiff_echantillons(largeur, hauteur, par_pixel, bits, sorte, photometrie, donnees, compression=1,
                          prediction=1):
        champs = [(256, 3, [largeur]), (257, 3, [hauteur]), (258, 3, [bits] * par_pixel), (259, 3, [compression]),
                  (262, 3, [photometrie]), (273, 4, [0]), (277, 3, [par_pixel]), (278, 3, [hauteur]),
                  (279, 4, [len(donnees)]), (284, 3, [1]), (339, 3, [sorte] * par_pixel)]
        if prediction != 1:
            champs.insert(10, (317, 3, [prediction]))
        fin = 8 + 2 + 12 * len(champs) + 4
        ailleurs, o = b"", b""
        for tag, type, valeurs in champs:
            valeur = struct.pack("<" + ("H" if type == 3 else "I") * len(valeurs), *valeurs)
            if tag == 273:
                valeur = struct.pack("<I", fin + 2 * 3 * 2)
            if len(valeur) > 4:
                o += struct.pack("<HHII", tag, type, len(valeurs), fin + len(ailleurs))
                ailleurs += valeur
            else:
                o += struct.pack("<HHI", tag, type, len(valeurs)) + valeur.ljust(4, b"\0")
        ailleurs = ailleurs.ljust(2 * 3 * 2, b"\0")
        return b"II*\0" + struct.pack("<IH", 8, len(champs)) + o + struct.pack("<I", 0) + ailleurs + donnees
    def douze_bits(codes):
        bits = "".join("{:012b}".format(c) for c in codes)
        bits += "0" * (-len(bits) % 8)
        return int(bits, 2).to_bytes(len(bits) // 8, "big")
    rampe = [x * 273 for x in range(16)]
    gris = b"".join(douze_bits(rampe) for _ in range(4))
    graine("tiff_echantillons", "gris12.tif", tiff_echantillons(16, 4, 1, 12, 1, 1, gris))
    graine("tiff_echantillons", "blanc12.tif", tiff_echantillons(16, 4, 1, 12, 1, 0, gris))
    ecarts = douze_bits([rampe[0]] + [273] * 15)
    graine("tiff_echantillons", "predit12.tif", tiff_echantillons(16, 4, 1, 12, 1, 1, zlib.compress(ecarts * 4), 8, 2))
    graine("tiff_echantillons", "rvb12.tif", tiff_echantillons(16, 4, 3, 12, 1, 2, b"".join(douze_bits(rampe * 3) for _ in range(4))))
    demis = struct.pack("<48e", *[i / 47 for i in range(48)]) * 4
    graine("tiff_echantillons", "demis.tif", tiff_echantillons(16, 4, 3, 16, 3, 2, demis))
    # RGBA of 4 bits a sample, 32-bit floats of min-is-white.
    graine("tiff_echantillons", "rvba4.tif", tiff_echantillons(16, 4, 4, 4, 1, 2, bytes(range(0, 256, 8)) * 4))
    blancs = struct.pack("<16f", *[i / 15 for i in range(16)]) * 4
    graine("tiff_echantillons", "blancs32.tif", tiff_echantillons(16, 4, 1, 32, 3, 0, blancs))
    # Separate planes read as stored: Lab of bytes in strips with alpha, RGBA of words and
    # CMYK of bytes in tiles of 16 (edge tiles cut by the picture).
    def tiff_plans(largeur, hauteur, bits, photometrie, plans, tuile=0, alpha=False):
        n = len(plans)
        cote = tuile or max(largeur, hauteur)
        colonnes, rangees = -(-largeur // cote), -(-hauteur // cote)
        format = "B" if bits == 8 else "H"
        morceaux = []
        for plan in plans:
            for m in range(colonnes * rangees if tuile else 1):
                x0, y0 = m % colonnes * cote, m // colonnes * cote
                ys = range(y0, y0 + cote) if tuile else range(hauteur)
                xs = range(x0, x0 + cote) if tuile else range(largeur)
                morceaux.append(b"".join(struct.pack("<" + format, plan(min(x, largeur - 1), min(y, hauteur - 1)))
                                         for y in ys for x in xs))
        champs = [(256, 3, [largeur]), (257, 3, [hauteur]), (258, 3, [bits] * n), (259, 3, [1]), (262, 3, [photometrie])]
        if not tuile:
            champs.append((273, 4, [0] * len(morceaux)))
        champs.append((277, 3, [n]))
        if not tuile:
            champs += [(278, 3, [hauteur]), (279, 4, [len(m) for m in morceaux])]
        champs.append((284, 3, [2]))
        if tuile:
            champs += [(322, 3, [tuile]), (323, 3, [tuile]), (324, 4, [0] * len(morceaux)), (325, 4, [len(m) for m in morceaux])]
        if alpha:
            champs.append((338, 3, [2]))
        fin = 8 + 2 + 12 * len(champs) + 4
        taille = sum(4 * len(v) if t in (3, 4) and (2 if t == 3 else 4) * len(v) > 4 else 0
                     for _, t, v in champs)
        debut = fin + taille
        decalages = []
        for m in morceaux:
            decalages.append(debut)
            debut += len(m)
        ailleurs, o = b"", b""
        for tag, type, valeurs in champs:
            if tag in (273, 324):
                valeurs = decalages
            valeur = struct.pack("<" + ("H" if type == 3 else "I") * len(valeurs), *valeurs)
            if len(valeur) > 4:
                o += struct.pack("<HHII", tag, type, len(valeurs), fin + len(ailleurs))
                ailleurs += valeur.ljust(4 * len(valeurs), b"\0")
            else:
                o += struct.pack("<HHI", tag, type, len(valeurs)) + valeur.ljust(4, b"\0")
        return b"II*\0" + struct.pack("<IH", 8, len(champs)) + o + struct.pack("<I", 0) + ailleurs + b"".join(morceaux)
    graine("tiff_echantillons", "lab-plans.tif", tiff_plans(16, 4, 8, 8, [lambda x, y: 60 + x, lambda x, y: (x * 9) % 256,
                                                                          lambda x, y: 240, lambda x, y: 255 - y], alpha=True))
    graine("tiff_echantillons", "rvba-tuiles.tif", tiff_plans(20, 18, 16, 2, [lambda x, y: x * 3000, lambda x, y: y * 3000,
                                                                             lambda x, y: 0, lambda x, y: 40000], 16, True))
    graine("tiff_echantillons", "cmjn-tuiles.tif", tiff_plans(20, 18, 8, 5, [lambda x, y: x * 10, lambda x, y: y * 10,
                                                                            lambda x, y: 30, lambda x, y: 0], 16))

    # Pictures for Qt's readers: the first byte picks ICO (0), BMP (1) or TGA (2); half of each
    # is transparent.
    transparente = "testsrc=s=16x16,format=rgba,geq=r='r(X,Y)':g='g(X,Y)':b='b(X,Y)':a='if(lt(X,8),0,255)'"
    with tempfile.TemporaryDirectory() as t5:
        for octet, nom, options in ((0, "png.ico", ["-c:v", "png"]), (0, "bmp.ico", ["-c:v", "bmp", "-pix_fmt", "bgra"]),
                                    (1, "alpha.bmp", ["-pix_fmt", "bgra"]), (2, "alpha.tga", ["-pix_fmt", "bgra"])):
            lancer("ffmpeg", "-loglevel", "error", "-f", "lavfi", "-i", transparente, "-frames:v", "1", *options, nom,
                   cwd=t5)
            graine("qt_images", nom, bytes([octet]) + open(os.path.join(t5, nom), "rb").read())

    # Icons of 24 bits whose AND mask alone holds their transparency, and OS/2 BMPs whose info
    # header stops short of 40 bytes, for Qt's readers; 32-bit TGAs whose fourth byte is alpha
    # only by their word (no alpha bits, or an extension area saying none), for libav's.
    def ico24(cote):
        xor = bytes([20, 120, 240] * cote) * cote
        masque = b"".join((b"\xf0" + b"\0" * ((cote + 31) // 32 * 4 - 1)) for _ in range(cote))
        bitmap = struct.pack("<IiiHHIIiiII", 40, cote, 2 * cote, 1, 24, 0, 0, 0, 0, 0, 0) + xor + masque
        return struct.pack("<HHHBBBBHHII", 0, 1, 1, cote, cote, 0, 0, 1, 24, len(bitmap), 22) + bitmap
    graine("qt_images", "masque24.ico", bytes([0]) + ico24(8))
    def bmp_os2(entete):
        info = struct.pack("<IiiHH", entete, 8, 6, 1, 8).ljust(entete, b"\0")
        palette = (b"\0\0\xff\0\xff\0\0\0").ljust(1024, b"\0")
        pixels = (bytes(4) + bytes([1] * 4)) * 6
        return b"BM" + struct.pack("<IHHI", 14 + entete + 1024 + 48, 0, 0, 14 + entete + 1024) + info + palette + pixels
    graine("qt_images", "os2-16.bmp", bytes([1]) + bmp_os2(16))
    graine("qt_images", "os2-24.bmp", bytes([1]) + bmp_os2(24))
    def tga32(bits_alpha, attributs=None):
        o = struct.pack("<BBBHHBHHHHBB", 0, 0, 2, 0, 0, 0, 0, 0, 8, 4, 32, 0x20 | bits_alpha) + bytes([255, 0, 0, 0]) * 32
        if attributs is None:
            return o
        extension = struct.pack("<H", 495) + bytes(492) + bytes([attributs])
        return o + extension + struct.pack("<II", len(o), 0) + b"TRUEVISION-XFILE.\0"
    graine("libav_images", "sans-alpha.tga", bytes([2]) + tga32(0))
    graine("libav_images", "alpha-indefini.tga", bytes([2]) + tga32(8, 2))
    # Grey and alpha of 16 bits a pixel, raw from the bottom left and in runs from the top right.
    graine("tga_gris", "brut.tga", struct.pack("<BBBHHBHHHHBB", 0, 0, 3, 0, 0, 0, 0, 0, 4, 2, 16, 8)
           + bytes([10, 255, 200, 128]) * 4)
    graine("tga_gris", "paquets.tga", struct.pack("<BBBHHBHHHHBB", 0, 0, 11, 0, 0, 0, 0, 0, 4, 2, 16, 0x38)
           + bytes([0x82, 10, 255, 0x04, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10]))
    # Colour indices (type 1, 8 bits) whose header says there is no colour map.
    graine("libav_images", "sans-palette.tga", bytes([2]) + struct.pack("<BBBHHBHHHHBB", 0, 0, 1, 0, 0, 0, 0, 0, 16, 8, 8, 0x20)
           + bytes(i * 7 % 256 for i in range(16 * 8)))
    # A PNG declaring 20000 × 20000 grey pixels over a few bytes of them.
    def bloc_png(type, octets):
        return struct.pack(">I", len(octets)) + type + octets + struct.pack(">I", zlib.crc32(type + octets))
    graine("png", "bombe.png", b"\x89PNG\r\n\x1a\n" + bloc_png(b"IHDR", struct.pack(">IIBBBBB", 20000, 20000, 8, 0, 0, 0, 0))
           + bloc_png(b"IDAT", zlib.compress(bytes(4096))) + bloc_png(b"IEND", b""))

# Ogg Opus for the page walk (two bytes of passage first): a short stream, a packet copy of
# its middle, one cut inside a page, and a Vorbis stream it must refuse.
with tempfile.TemporaryDirectory() as t:
    for nom, options in (("court.opus", ["-c:a", "libopus"]), ("vorbis.ogg", ["-c:a", "libvorbis"])):
        lancer("ffmpeg", "-loglevel", "error", "-f", "lavfi", "-i", "sine=d=0.3:sample_rate=48000", *options, nom, cwd=t)
    lancer("ffmpeg", "-loglevel", "error", "-i", "court.opus", "-ss", "0.1", "-t", "0.1", "-c", "copy", "milieu.opus", cwd=t)
    for nom in ("court.opus", "milieu.opus", "vorbis.ogg"):
        graine("ogg_opus", nom, bytes([2, 1]) + open(os.path.join(t, nom), "rb").read())
    entier = open(os.path.join(t, "court.opus"), "rb").read()
    graine("ogg_opus", "coupe.opus", bytes([1, 3]) + entier[:len(entier) * 2 // 3])
