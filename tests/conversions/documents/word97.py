#!/usr/bin/env python3
"""Writes a Word 97 file. Usage: word97.py TEXT > x.doc
A short one: a compound file whose WordDocument stream (under 4096 bytes) sits in the
small-block stream, as word processors save a short letter, its text in one 8-bit piece.
With --long: streams of 4096 bytes or more in ordinary sectors and the text in a 16-bit
piece, where \\uXXXX stands for that UTF-16 unit, even half a surrogate pair."""
import re, struct, sys


def entry(name, typ, start, size, child=0xFFFFFFFF, right=0xFFFFFFFF):
    n = (name + "\0").encode("utf-16-le")
    e = n.ljust(64, b"\0") + struct.pack("<HBBIII", len(n), typ, 1, 0xFFFFFFFF, right, child)
    e += b"\0"*16 + b"\0"*4 + b"\0"*16 + struct.pack("<IIi", start, size, 0)
    return e

def cfb_mini(streams):
    # Every stream under 4096 bytes: they live in the mini stream (64-byte sectors).
    S = 512; M = 64
    mini = b""; mstarts = []; msizes = []; minifat = []
    for name, b in streams:
        n = (len(b) + M - 1)//M
        mstarts.append(len(mini)//M); msizes.append(len(b))
        minifat += [len(mini)//M + i + 1 for i in range(n - 1)] + [0xFFFFFFFE]
        mini += b.ljust(n*M, b"\0")
    mini = mini.ljust((len(mini) + S - 1)//S*S, b"\0")
    nmini = len(mini)//S
    dir_sector = nmini; minifat_sector = nmini + 1; fat_sector = nmini + 2
    fat = [i + 1 for i in range(nmini - 1)] + [0xFFFFFFFE, 0xFFFFFFFE, 0xFFFFFFFE, 0xFFFFFFFD]
    fat += [0xFFFFFFFF] * (128 - len(fat))
    minifat += [0xFFFFFFFF] * (128 - len(minifat))
    d = entry("Root Entry", 5, 0, nmini*S, child=1)
    for i, ((name, _), st, sz) in enumerate(zip(streams, mstarts, msizes)):
        d += entry(name, 2, st, sz, right=(i + 2) if i + 1 < len(streams) else 0xFFFFFFFF)
    d = d.ljust(S, b"\0")
    h = b"\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1" + b"\0"*16 + struct.pack("<HHHHH", 0x3E, 3, 0xFFFE, 9, 6)
    h += b"\0"*6 + struct.pack("<IIIIIIII", 0, 1, dir_sector, 0, 4096, minifat_sector, 1, 0xFFFFFFFE) + struct.pack("<I", 0)
    h += struct.pack("<I", fat_sector) + b"\xff"*4*108
    return h + mini + d + struct.pack("<128I", *minifat) + struct.pack("<128I", *fat)

def cfb(streams):
    # Every stream of 4096 bytes or more: in 512-byte sectors; an empty small-block depot.
    S = 512
    body = b""; starts = []; fat = []
    for name, b in streams:
        n = (len(b) + S - 1)//S
        starts.append(len(body)//S)
        fat += [len(body)//S + i + 1 for i in range(n - 1)] + [0xFFFFFFFE]
        body += b.ljust(n*S, b"\0")
    dir_sector = len(body)//S; minifat_sector = dir_sector + 1; fat_sector = dir_sector + 2
    fat += [0xFFFFFFFE, 0xFFFFFFFE, 0xFFFFFFFD]
    fat += [0xFFFFFFFF] * (128 - len(fat))
    d = entry("Root Entry", 5, 0xFFFFFFFE, 0, child=1)
    for i, ((name, b), st) in enumerate(zip(streams, starts)):
        d += entry(name, 2, st, len(b), right=(i + 2) if i + 1 < len(streams) else 0xFFFFFFFF)
    d = d.ljust(S, b"\0")
    h = b"\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1" + b"\0"*16 + struct.pack("<HHHHH", 0x3E, 3, 0xFFFE, 9, 6)
    h += b"\0"*6 + struct.pack("<IIIIIIII", 0, 1, dir_sector, 0, 4096, minifat_sector, 1, 0xFFFFFFFE) + struct.pack("<I", 0)
    h += struct.pack("<I", fat_sector) + b"\xff"*4*108
    return h + body + d + struct.pack("<128I", *([0xFFFFFFFE] + [0xFFFFFFFF]*127)) + struct.pack("<128I", *fat)

def word97(texte, long=False):
    if long:
        t = re.sub(r"\\u([0-9a-fA-F]{4})", lambda m: chr(int(m.group(1), 16)), texte + "\r").encode("utf-16-le", "surrogatepass")
        n = len(t)//2
    else:
        t = texte.encode("cp1252") + b"\r"
        n = len(t)
    wd = bytearray(0x1400 if long else 0x400)
    fc = 0x600 if long else 0x300
    wd[fc:fc+len(t)] = t
    struct.pack_into("<HH", wd, 0, 0xA5EC, 0xC1)
    struct.pack_into("<H", wd, 6, 0x040C)
    struct.pack_into("<H", wd, 0x0A, 0x1200 if long else 0x0200)  # 1Table, and 16-bit text when long
    struct.pack_into("<H", wd, 0x0C, 0xBF)
    struct.pack_into("<II", wd, 0x18, fc, fc + len(t))
    struct.pack_into("<H", wd, 0x20, 14)
    struct.pack_into("<H", wd, 0x3E, 22)
    struct.pack_into("<I", wd, 0x40, len(wd))
    struct.pack_into("<I", wd, 0x4C, n)
    struct.pack_into("<H", wd, 0x98, 0x5D)
    piece = fc if long else (fc * 2) | 0x40000000
    clx = b"\x02" + struct.pack("<I", 12 + 8) + struct.pack("<II", 0, n) + struct.pack("<HIH", 0, piece, 0)
    tb = bytearray(4096 if long else 64)
    tb[0:len(clx)] = clx
    struct.pack_into("<II", wd, 0x9A + 33*8, 0, len(clx))
    if long:
        # A style sheet that declares no style: antiword reads past an absent one.
        stsh = struct.pack("<HHHHHHH3H", 18, 0, 10, 0, 0, 0, 0, 0, 0, 0)
        tb[64:64 + len(stsh)] = stsh
        struct.pack_into("<II", wd, 0x9A + 1*8, 64, len(stsh))
    return (cfb if long else cfb_mini)([("WordDocument", bytes(wd)), ("1Table", bytes(tb))])

if sys.argv[1] == "--long":
    sys.stdout.buffer.write(word97(sys.argv[2], long=True))
else:
    sys.stdout.buffer.write(word97(sys.argv[1]))
