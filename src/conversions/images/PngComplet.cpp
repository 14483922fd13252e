#include "conversions/images/PngComplet.h"

#include <QFile>
#include <cmath>

namespace Conversions {

namespace {

// What the walk over a PNG's chunks found.
struct Morceaux {
    bool png = false;
    bool entier = false;  // every chunk within the file, up to IEND
    qint64 largeur = 0;
    qint64 hauteur = 0;
    int bitsParPixel = 0;
    qint64 donnees = 0;  // bytes of IDAT
};

quint32 mot(const QByteArray& o, qsizetype a)
{
    const auto* d = reinterpret_cast<const unsigned char*>(o.constData()) + a;
    return (quint32(d[0]) << 24) | (quint32(d[1]) << 16) | (quint32(d[2]) << 8) | d[3];
}

int canaux(int couleur)
{
    switch (couleur) {
    case 0: case 3: return 1;
    case 2: return 3;
    case 4: return 2;
    case 6: return 4;
    default: return 0;
    }
}

// Only the chunk headers are read (and IHDR's values): each one's length, type, then a jump
// over data and CRC.
Morceaux parcourir(const QString& chemin)
{
    Morceaux m;
    QFile f(chemin);
    if (!f.open(QIODevice::ReadOnly) || f.read(8) != QByteArray("\x89PNG\r\n\x1a\n", 8))
        return m;  // not a PNG: its own loader judges it
    m.png = true;
    const qint64 taille = f.size();
    for (qint64 p = 8; p + 12 <= taille;) {
        if (!f.seek(p))
            return m;
        const QByteArray entete = f.read(8);
        if (entete.size() < 8)
            return m;
        const qint64 longueur = mot(entete, 0);
        if (longueur > 0x7FFFFFFF || p + 12 + longueur > taille)
            return m;
        const QByteArray type = entete.mid(4);
        if (type == "IEND") {
            m.entier = true;
            return m;
        }
        if (type == "IDAT")
            m.donnees += longueur;
        if (type == "IHDR" && longueur >= 13) {
            const QByteArray ihdr = f.read(13);
            if (ihdr.size() == 13) {
                m.largeur = mot(ihdr, 0);
                m.hauteur = mot(ihdr, 4);
                m.bitsParPixel = static_cast<unsigned char>(ihdr[8]) * canaux(static_cast<unsigned char>(ihdr[9]));
            }
        }
        p += 12 + longueur;
    }
    return m;
}

} // namespace

bool pngCoupe(const QString& chemin)
{
    const Morceaux m = parcourir(chemin);
    return m.png && !m.entier;
}

bool pngTropCourt(const QString& chemin)
{
    const Morceaux m = parcourir(chemin);
    // Each row starts with its filter's byte; an interlaced picture holds more, never less.
    const double octets = static_cast<double>(m.hauteur) * (1.0 + std::ceil(static_cast<double>(m.largeur) * m.bitsParPixel / 8.0));
    return m.png && m.entier && m.bitsParPixel > 0 && static_cast<double>(m.donnees) * 1032.0 < octets;
}

} // namespace Conversions
