#include "application/Lignes.h"

#include <QFileInfo>

namespace Application {

namespace Lignes {

QString liste(const QStringList& noms)
{
    QStringList cites;
    for (QString n : noms) {
        n.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
        n.replace(QLatin1Char('"'), QStringLiteral("\\\""));
        cites << QLatin1Char('"') + n + QLatin1Char('"');
    }
    return QLatin1Char('[') + cites.join(QStringLiteral(", ")) + QLatin1Char(']');
}

QString lot(const QStringList& chemins, const QString& petale)
{
    return liste(noms(chemins)) + QStringLiteral(" sur ") + petale;
}

QString ffmpeg(const QString& sortie)
{
    const QStringList morceaux = sortie.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return QStringLiteral("ffmpeg : ") + morceaux.mid(qMax(0, morceaux.size() - 3)).join(QStringLiteral(" | "));
}

QStringList noms(const QStringList& chemins)
{
    QStringList n;
    for (const QString& c : chemins)
        n << QFileInfo(c).fileName();
    return n;
}

} // namespace Lignes

} // namespace Application
