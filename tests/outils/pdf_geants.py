#!/usr/bin/env python3
"""PDFs of three pages (two for "objets") whose structure is what is large or broken.

Usage: pdf_geants.py table FICHIER N   a compressed cross-reference stream of N entries, all
                                       free but the first few: kilobytes that expand to N
       pdf_geants.py objets FICHIER N  a valid PDF of N objects in all, with its plain table
       pdf_geants.py casse FICHIER [OCTETS]
                                       a plain table whose offsets are all wrong, the pages
                                       drawn by OCTETS bytes of content (none by default)
"""
import sys
import zlib

PAGE = b"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] >>"


def debut(version, pages, page=PAGE):
    kids = b" ".join(b"%d 0 R" % (3 + i) for i in range(pages))
    pdf, positions = bytearray(b"%PDF-" + version + b"\n"), []
    for corps in [b"<< /Type /Catalog /Pages 2 0 R >>",
                  b"<< /Type /Pages /Kids [%s] /Count %d >>" % (kids, pages)] + [page] * pages:
        positions.append(len(pdf))
        pdf += b"%d 0 obj\n%s\nendobj\n" % (len(positions), corps)
    return pdf, positions


def table(chemin, n):
    pdf, positions = debut(b"1.5", 3)
    positions.append(len(pdf))
    lignes = bytearray(4 * n)
    lignes[3] = 255
    for i, p in enumerate(positions, 1):
        lignes[4 * i:4 * i + 3] = bytes([1, p >> 8, p & 255])
    flux = zlib.compress(bytes(lignes), 9)
    pdf += b"%d 0 obj\n<< /Type /XRef /Size %d /W [1 2 1] /Root 1 0 R /Filter /FlateDecode /Length %d >>\n" \
           b"stream\n" % (len(positions), n, len(flux))
    pdf += flux + b"\nendstream\nendobj\nstartxref\n%d\n%%%%EOF\n" % positions[-1]
    open(chemin, "wb").write(pdf)


def objets(chemin, n):
    pdf, positions = debut(b"1.4", 2)
    with open(chemin, "wb") as f:
        f.write(pdf)
        for i in range(len(positions) + 1, n):
            positions.append(f.tell())
            f.write(b"%d 0 obj\nnull\nendobj\n" % i)
        depart = f.tell()
        f.write(b"xref\n0 %d\n0000000000 65535 f \n" % n)
        f.write(b"".join(b"%010d 00000 n \n" % p for p in positions))
        f.write(b"trailer << /Size %d /Root 1 0 R >>\nstartxref\n%d\n%%%%EOF\n" % (n, depart))


def casse(chemin, octets):
    pdf, positions = debut(b"1.4", 3, PAGE[:-3] + b" /Contents 6 0 R >>")
    dessin = b"0 0 m 10 10 l S\n" * (octets // 16)
    positions.append(len(pdf))
    pdf += b"6 0 obj\n<< /Length %d >>\nstream\n%s\nendstream\nendobj\n" % (len(dessin), dessin)
    depart = len(pdf)
    n = len(positions) + 1
    pdf += b"xref\n0 %d\n0000000000 65535 f \n" % n
    pdf += b"".join(b"%010d 00000 n \n" % (100 + 7 * i) for i in range(1, n))
    pdf += b"trailer << /Size %d /Root 1 0 R >>\nstartxref\n%d\n%%%%EOF\n" % (n, depart)
    open(chemin, "wb").write(pdf)


if __name__ == "__main__":
    sorte, chemin = sys.argv[1], sys.argv[2]
    if sorte == "table":
        table(chemin, int(sys.argv[3]))
    elif sorte == "objets":
        objets(chemin, int(sys.argv[3]))
    elif sorte == "casse":
        casse(chemin, int(sys.argv[3]) if len(sys.argv) > 3 else 0)
    else:
        sys.exit(__doc__)
