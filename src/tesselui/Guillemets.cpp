#include "tesselui/Guillemets.h"

namespace Guillemets {

QString insecables(const QString& texte)
{
    constexpr QChar ouvrant(0x00AB), fermant(0x00BB), insecable(0x00A0);
    QString t = texte;
    for (qsizetype i = 0; i < t.size(); ++i)
        if (t[i] == QLatin1Char(' ')
            && ((i > 0 && t[i - 1] == ouvrant) || (i + 1 < t.size() && t[i + 1] == fermant)))
            t[i] = insecable;
    return t;
}

} // namespace Guillemets
