#include "conversions/images/PngComplet.h"

#include <QFile>

namespace Conversions {

bool pngCoupe(const QString& chemin)
{
    QFile f(chemin);
    if (!f.open(QIODevice::ReadOnly) || f.read(8) != QByteArray("\x89PNG\r\n\x1a\n", 8))
        return false;  // not a PNG: its own loader judges it
    const qint64 taille = f.size();
    // Only the chunk headers are read: each one's length, type, then a jump over data and CRC.
    for (qint64 p = 8; p + 12 <= taille;) {
        if (!f.seek(p))
            return true;
        const QByteArray entete = f.read(8);
        if (entete.size() < 8)
            return true;
        const auto* o = reinterpret_cast<const unsigned char*>(entete.constData());
        const qint64 longueur = (qint64(o[0]) << 24) | (o[1] << 16) | (o[2] << 8) | o[3];
        if (longueur > 0x7FFFFFFF || p + 12 + longueur > taille)
            return true;
        if (entete.mid(4) == "IEND")
            return false;
        p += 12 + longueur;
    }
    return true;
}

} // namespace Conversions
