#include "essai/Formes.h"

#include <algorithm>

namespace Essai::Formes {

QString liste(const QStringList& items)
{
    QStringList cites;
    for (const QString& item : items) {
        QString e;
        for (const QChar c : item) {
            switch (c.unicode()) {
            case '"': e += QStringLiteral("\\\""); break;
            case '\'': e += QStringLiteral("\\'"); break;
            case '\\': e += QStringLiteral("\\\\"); break;
            case '\t': e += QStringLiteral("\\t"); break;
            case '\n': e += QStringLiteral("\\n"); break;
            case '\r': e += QStringLiteral("\\r"); break;
            default: e += c;
            }
        }
        cites << QLatin1Char('"') + e + QLatin1Char('"');
    }
    return QLatin1Char('[') + cites.join(QStringLiteral(", ")) + QLatin1Char(']');
}

QString decimales(double valeur)
{
    // QString::number is locale-independent: always a point.
    return QString::number(valeur, 'f', 2);
}

QString duree(double secondes)
{
    return decimales(secondes) + QStringLiteral(" s");
}

QString indice(std::optional<int> i)
{
    return i ? QStringLiteral("Optional(%1)").arg(*i) : QStringLiteral("nil");
}

QString dernieresLignes(const QString& texte, int n)
{
    QStringList lignes = texte.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return lignes.mid(std::max<qsizetype>(0, lignes.size() - n)).join(QStringLiteral(" | "));
}

QString surUneLigne(QString texte)
{
    texte.replace(QStringLiteral("\r\n"), QStringLiteral(" / "));
    texte.replace(QLatin1Char('\n'), QStringLiteral(" / "));
    return texte;
}

} // namespace Essai::Formes
