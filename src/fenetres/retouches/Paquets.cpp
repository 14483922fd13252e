#include "fenetres/retouches/Paquets.h"

#include "conversions/media/FFmpeg.h"
#include "conversions/sorties/DossierDeTravail.h"

#include <QDir>
#include <QFile>
#include <algorithm>

namespace Paquets {

Liste lister(const QString& source, const QString& flux)
{
    const Conversions::DossierDeTravail dossier(QDir::tempPath(), QStringLiteral("montage-"));
    const QString liste = dossier.fichier(QStringLiteral("paquets.crc"));
    // One line per packet: stream, dts, pts, duration, size, checksum; the time base and the
    // codec above.
    Conversions::lancerFFmpeg({QStringLiteral("-i"), source, QStringLiteral("-map"), flux, QStringLiteral("-c"),
                               QStringLiteral("copy"), QStringLiteral("-f"), QStringLiteral("framecrc"), liste},
                              source, [](double) {});
    QFile f(liste);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    double base = 0;
    Liste l;
    while (!f.atEnd()) {
        const QByteArray ligne = f.readLine().trimmed();
        if (ligne.startsWith("#tb 0:")) {
            const QList<QByteArray> r = ligne.mid(6).trimmed().split('/');
            if (r.size() == 2 && r[1].toDouble() > 0)
                base = r[0].toDouble() / r[1].toDouble();
        } else if (ligne.startsWith("#codec_id 0:")) {
            l.codec = QString::fromLatin1(ligne.mid(12).trimmed());
        } else if (!ligne.startsWith('#') && base > 0) {
            const QList<QByteArray> champs = ligne.split(',');
            bool ok = false;
            const qint64 pts = champs.size() > 2 ? champs[2].trimmed().toLongLong(&ok) : 0;
            if (ok)
                l.temps << pts * base;
        }
    }
    std::sort(l.temps.begin(), l.temps.end());
    return l;
}

} // namespace Paquets
