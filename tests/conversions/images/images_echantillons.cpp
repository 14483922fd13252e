#include "conversions/essais_outils.h"

#include <QBuffer>
#include <QImageWriter>
#include <QRandomGenerator>
#include <gtest/gtest.h>

namespace essais {

namespace {

void ajouter32(QByteArray& o, quint32 v)
{
    for (int s = 24; s >= 0; s -= 8)
        o.append(static_cast<char>((v >> s) & 0xFF));
}

quint32 crc32(const QByteArray& octets)
{
    quint32 crc = 0xFFFFFFFFu;
    for (const char c : octets) {
        crc ^= static_cast<quint8>(c);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void bloc(QByteArray& png, const char* type, const QByteArray& donnees)
{
    ajouter32(png, static_cast<quint32>(donnees.size()));
    const QByteArray corps = QByteArray(type, 4) + donnees;
    png.append(corps);
    ajouter32(png, crc32(corps));
}

} // namespace

QString ecrire(const Dossier& d, const QString& nom, const QImage& image, int qualite)
{
    const QString chemin = d.chemin(nom);
    QImageWriter w(chemin);
    w.setQuality(qualite);
    EXPECT_TRUE(w.write(image)) << nom.toStdString() << " " << w.errorString().toStdString();
    return chemin;
}

QString jpegOriente(const Dossier& d, const QString& nom, const QImage& image, int orientation)
{
    QByteArray jpeg;
    QBuffer tampon(&jpeg);
    tampon.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&tampon, "JPEG", 95));
    // APP1 "Exif": a big-endian TIFF header and one IFD holding the orientation tag (0x0112).
    QByteArray exif("\xFF\xE1\x00\x22" "Exif\0\0" "MM\x00\x2A\x00\x00\x00\x08" "\x00\x01"
                    "\x01\x12\x00\x03\x00\x00\x00\x01\x00\x00\x00\x00" "\x00\x00\x00\x00", 36);
    exif[29] = static_cast<char>(orientation);
    return d.ecrire(nom, jpeg.left(2) + exif + jpeg.mid(2));
}

QString pngGeant(const Dossier& d, const QString& nom, int largeur, int hauteur)
{
    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    QByteArray ihdr;
    ajouter32(ihdr, static_cast<quint32>(largeur));
    ajouter32(ihdr, static_cast<quint32>(hauteur));
    ihdr.append(QByteArray("\x08\0\0\0\0", 5));  // 8-bit grey
    bloc(png, "IHDR", ihdr);
    // Whole rows of zeros when they are few, else a token amount: only the header matters.
    const qint64 octets = (static_cast<qint64>(largeur) + 1) * hauteur;
    const QByteArray z = qCompress(QByteArray(octets <= (1 << 20) ? static_cast<int>(octets) : 4096, '\0'));
    bloc(png, "IDAT", z.mid(4));  // qCompress puts the length first, then a zlib stream
    bloc(png, "IEND", {});
    return d.ecrire(nom, png);
}

QImage texture(int largeur, int hauteur, unsigned graine)
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

} // namespace essais
