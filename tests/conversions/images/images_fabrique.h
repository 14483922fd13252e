#pragma once

// Image samples made with Qt's writers, python3 or by hand.

#include "conversions/essais_outils.h"

#include <QBuffer>
#include <QImageWriter>
#include <QPainter>
#include <QRandomGenerator>
#include <QtEndian>
#include <array>
#include <functional>

namespace essais {

// Writes `image` with Qt's writer at `nom` in the folder; returns the path.
inline QString ecrire(const Dossier& d, const QString& nom, const QImage& image, int qualite = 95)
{
    const QString chemin = d.chemin(nom);
    QImageWriter w(chemin);
    w.setQuality(qualite);
    EXPECT_TRUE(w.write(image)) << nom.toStdString() << " " << w.errorString().toStdString();
    return chemin;
}

// A JPEG carrying an EXIF orientation (1 to 8) in front of `image`'s pixels, stored as a SHORT
// (type 3), or as a LONG (4) or SLONG (9) as some cameras and editors write it.
inline QString jpegOriente(const Dossier& d, const QString& nom, const QImage& image, int orientation, char type = 3)
{
    QByteArray jpeg;
    QBuffer tampon(&jpeg);
    tampon.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&tampon, "JPEG", 95));
    // APP1 "Exif": a big-endian TIFF header and one IFD holding the orientation tag (0x0112).
    QByteArray exif("\xFF\xE1\x00\x22" "Exif\0\0" "MM\x00\x2A\x00\x00\x00\x08" "\x00\x01"
                    "\x01\x12\x00\x03\x00\x00\x00\x01\x00\x00\x00\x00" "\x00\x00\x00\x00", 36);
    exif[23] = type;
    exif[type == 3 ? 29 : 31] = static_cast<char>(orientation);  // a value's bytes from the left
    return d.ecrire(nom, jpeg.left(2) + exif + jpeg.mid(2));
}

// A PNG whose header claims `largeur` × `hauteur` grey pixels.
inline QString pngGeant(const Dossier& d, const QString& nom, int largeur, int hauteur)
{
    // Whole rows of zeros when they are few, else a token amount: only the header matters.
    const char* programme = R"(
import struct, sys, zlib
l, h = int(sys.argv[2]), int(sys.argv[3])
def bloc(t, o): return struct.pack('>I', len(o)) + t + o + struct.pack('>I', zlib.crc32(t + o))
donnees = zlib.compress(bytes((l + 1) * h if (l + 1) * h <= 1 << 20 else 4096))
open(sys.argv[1], 'wb').write(b'\x89PNG\r\n\x1a\n' + bloc(b'IHDR', struct.pack('>IIBBBBB', l, h, 8, 0, 0, 0, 0))
                              + bloc(b'IDAT', donnees) + bloc(b'IEND', b''))
)";
    sortieDe("python3", {"-c", programme, d.chemin(nom), QString::number(largeur), QString::number(hauteur)});
    return d.chemin(nom);
}

// A BMP of bit fields (BI_BITFIELDS) under an info header of `entete` bytes (108 or 124),
// with its masks (red, green, blue, alpha) and the sRGB colour space; `pixels` follow as
// given, rows padded to 4 bytes by the caller. A negative height stores the top row first.
inline QByteArray bmpAChamps(int largeur, int hauteur, int bits, quint32 entete,
                             const std::array<quint32, 4>& masques, const QByteArray& pixels)
{
    QByteArray o;
    auto mot = [&o](quint32 v) { const quint32 le = qToLittleEndian(v); o.append(reinterpret_cast<const char*>(&le), 4); };
    auto court = [&o](quint16 v) { const quint16 le = qToLittleEndian(v); o.append(reinterpret_cast<const char*>(&le), 2); };
    const quint32 debut = 14 + entete;
    o.append("BM");
    mot(debut + quint32(pixels.size()));
    mot(0);
    mot(debut);
    mot(entete);
    mot(quint32(largeur));
    mot(quint32(hauteur));
    court(1);
    court(quint16(bits));
    mot(3);  // BI_BITFIELDS
    mot(quint32(pixels.size()));
    mot(2835);
    mot(2835);
    mot(0);
    mot(0);
    for (quint32 masque : masques)
        mot(masque);
    mot(0x73524742);  // 'sRGB'
    o.append(QByteArray(qsizetype(debut) - o.size(), '\0'));
    return o + pixels;
}

// `v` appended in little-endian.
template <typename T>
void ajouter(QByteArray& o, T v)
{
    const T le = qToLittleEndian(v);
    o.append(reinterpret_cast<const char*>(&le), sizeof le);
}

// One field of a TIFF directory: tag, type, count and its value's bytes.
struct ChampTiff {
    quint16 tag, type;
    quint32 n;
    QByteArray valeur;
};

// A field of `n` SHORT values `v`, and one of a single LONG.
inline ChampTiff champCourt(quint16 tag, quint32 n, quint16 v)
{
    QByteArray o;
    for (quint32 i = 0; i < n; ++i)
        ajouter(o, v);
    return {tag, 3, n, o};
}
inline ChampTiff champLong(quint16 tag, quint32 v)
{
    QByteArray o;
    ajouter(o, v);
    return {tag, 4, 1, o};
}

// A little-endian TIFF of one directory of `champs` (in the order of their tags): the header,
// the directory, the values that do not fit in four bytes, then the strips `bandes`, whose
// offsets go in the field of tag 273 (or 324, when they are tiles).
inline QByteArray tiffDeChamps(QList<ChampTiff> champs, const QList<QByteArray>& bandes)
{
    QByteArray tiff("II*\0", 4);
    ajouter(tiff, quint32(8));
    const quint32 finIfd = 8 + 2 + 12 * quint32(champs.size()) + 4;
    quint32 debut = finIfd;
    for (const ChampTiff& c : champs) {
        const qsizetype taille = c.tag == 273 || c.tag == 324 ? 4 * bandes.size() : c.valeur.size();
        if (taille > 4)
            debut += quint32(taille + taille % 2);
    }
    QByteArray ailleurs;
    for (ChampTiff& c : champs) {
        if (c.tag == 273 || c.tag == 324) {
            c.n = quint32(bandes.size());
            c.valeur.clear();
            for (const QByteArray& b : bandes) {
                ajouter(c.valeur, debut);
                debut += quint32(b.size());
            }
        }
        if (c.valeur.size() > 4)
            ailleurs.append(c.valeur.size() % 2 ? c.valeur + '\0' : c.valeur);
    }
    ajouter(tiff, quint16(champs.size()));
    quint32 decalage = finIfd;
    for (const ChampTiff& c : champs) {
        ajouter(tiff, c.tag);
        ajouter(tiff, c.type);
        ajouter(tiff, c.n);
        if (c.valeur.size() > 4) {
            ajouter(tiff, decalage);
            decalage += quint32(c.valeur.size() + c.valeur.size() % 2);
        } else {
            tiff.append(c.valeur.leftJustified(4, '\0'));
        }
    }
    ajouter(tiff, quint32(0));
    return tiff + ailleurs + bandes.join();
}

// The same with one strip.
inline QByteArray tiffDeChamps(QList<ChampTiff> champs, const QByteArray& pixels)
{
    return tiffDeChamps(std::move(champs), QList<QByteArray>{pixels});
}

// A picture's samples for a TIFF: `n` a pixel of `bits` (8, 16 or 32), each given as stored
// by `code(x, y, sample)`; the last one is alpha when `alpha` (unassociated unless said).
struct Echantillons {
    int largeur, hauteur, n, bits;
    quint16 photometrie;
    std::function<quint32(int x, int y, int c)> code;
    bool alpha = false;
    quint16 sorteAlpha = 2;  // 1 associated, 2 unassociated
    quint16 sorte = 1;       // 1 integers, 2 signed, 3 floats
    QByteArray profil{};     // ICC, when not empty
};

// A TIFF of those samples interleaved in one strip, or in planes of one strip each
// (`enPlans`), or in square tiles of `tuile` pixels (of planes when `enPlans`), edge tiles
// padded with the last row and column.
inline QByteArray tiffDispose(const Echantillons& e, bool enPlans, int tuile = 0)
{
    const int cote = tuile > 0 ? tuile : std::max(e.largeur, e.hauteur);
    const int colonnes = (e.largeur + cote - 1) / cote, rangees = (e.hauteur + cote - 1) / cote;
    QList<QByteArray> morceaux;
    for (int plan = 0; plan < (enPlans ? e.n : 1); ++plan)
        for (int m = 0; m < (tuile > 0 ? colonnes * rangees : 1); ++m) {
            QByteArray o;
            const int x0 = m % colonnes * cote, y0 = m / colonnes * cote;
            for (int y = y0; y < (tuile > 0 ? y0 + cote : e.hauteur); ++y)
                for (int x = x0; x < (tuile > 0 ? x0 + cote : e.largeur); ++x)
                    for (int c = enPlans ? plan : 0; c < (enPlans ? plan + 1 : e.n); ++c) {
                        const quint32 v = e.code(std::min(x, e.largeur - 1), std::min(y, e.hauteur - 1), c);
                        if (e.bits == 8)
                            o.append(char(v));
                        else if (e.bits == 16)
                            ajouter(o, quint16(v));
                        else
                            ajouter(o, v);
                    }
            morceaux.append(o);
        }
    QByteArray comptes;
    for (const QByteArray& m : morceaux)
        ajouter(comptes, quint32(m.size()));
    const auto nombre = quint32(morceaux.size());
    const auto n = quint16(e.n);
    QList<ChampTiff> champs{champLong(256, quint32(e.largeur)), champLong(257, quint32(e.hauteur)),
                            champCourt(258, n, quint16(e.bits)), champCourt(259, 1, 1), champCourt(262, 1, e.photometrie)};
    if (tuile == 0)
        champs << ChampTiff{273, 4, 1, {}};
    champs << champCourt(277, 1, n);
    if (tuile == 0)
        champs << champLong(278, quint32(e.hauteur)) << ChampTiff{279, 4, nombre, comptes};
    champs << champCourt(284, 1, enPlans ? 2 : 1);
    if (tuile > 0)
        champs << champLong(322, quint32(tuile)) << champLong(323, quint32(tuile)) << ChampTiff{324, 4, 1, {}}
               << ChampTiff{325, 4, nombre, comptes};
    if (e.alpha)
        champs << champCourt(338, 1, e.sorteAlpha);
    if (e.sorte != 1)
        champs << champCourt(339, n, e.sorte);
    if (!e.profil.isEmpty())
        champs << ChampTiff{34675, 7, quint32(e.profil.size()), e.profil};
    return tiffDeChamps(champs, morceaux);
}

// An orange disc on nothing, half as wide and high as the picture.
inline QImage disque(int largeur, int hauteur)
{
    QImage i(largeur, hauteur, QImage::Format_ARGB32);
    i.fill(Qt::transparent);
    QPainter p(&i);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(240, 120, 20));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QRect(largeur / 4, hauteur / 4, largeur / 2, hauteur / 2));
    return i;
}

// Width × height of opaque noise in dull greens and browns.
inline QImage texture(int largeur, int hauteur, unsigned graine)
{
    QImage t(largeur, hauteur, QImage::Format_RGB32);
    QRandomGenerator g(graine);
    for (int y = 0; y < hauteur; ++y) {
        auto* ligne = reinterpret_cast<QRgb*>(t.scanLine(y));
        for (int x = 0; x < largeur; ++x) {
            const int bruit = g.bounded(60);
            const bool rayure = ((x + y) / 9) % 2 == 0;
            ligne[x] = rayure ? qRgb(70 + bruit, 110 + bruit, 50 + bruit / 2)
                              : qRgb(120 + bruit, 95 + bruit / 2, 60 + bruit / 3);
        }
    }
    return t;
}

// Intersection over union of the cut-out's opaque part and the expected mask.
inline double iou(const QImage& decoupe, const QImage& attendu)
{
    long inter = 0, uni = 0;
    for (int y = 0; y < attendu.height(); ++y)
        for (int x = 0; x < attendu.width(); ++x) {
            const bool a = qAlpha(decoupe.pixel(x, y)) >= 128;
            const bool b = qGray(attendu.pixel(x, y)) >= 128;
            inter += a && b;
            uni += a || b;
        }
    return uni ? static_cast<double>(inter) / static_cast<double>(uni) : 0.0;
}

} // namespace essais
