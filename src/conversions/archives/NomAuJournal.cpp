#include "conversions/archives/NomAuJournal.h"

#include "conversions/Chemins.h"

namespace Conversions {

QString nomAuJournal(const QByteArray& nom)
{
    const QString texte = lisible(cheminDepuisOctets(nom));
    QString sortie;
    sortie.reserve(texte.size());
    for (const QChar c : texte) {
        const char16_t u = c.unicode();
        if (u == u'\n')
            sortie += QLatin1String("\\n");
        else if (u == u'\t')
            sortie += QLatin1String("\\t");
        else if (u == u'\r')
            sortie += QLatin1String("\\r");
        else if (u < 0x20 || u == 0x7f || (u >= 0x80 && u < 0xa0))
            sortie += QStringLiteral("\\x%1").arg(u, 2, 16, QLatin1Char('0'));
        else
            sortie += c;
    }
    return sortie;
}

} // namespace Conversions
