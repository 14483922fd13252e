#include "fenetres/masquer/modele/Sensibles.h"

#include <algorithm>

namespace Sensibles {

const std::array<QRegularExpression, 3>& motifs()
{
    static const std::array<QRegularExpression, 3> m{
        QRegularExpression(QStringLiteral(R"([A-Za-z0-9._%+-]+@[A-Za-z0-9.-]+\.[A-Za-z]{2,})")),
        QRegularExpression(QStringLiteral(R"((\+33\s?|0)[1-9]([\s.-]?\d{2}){4})")),
        QRegularExpression(QStringLiteral(R"(\b(?:\d[ -]?){13,19}\b)")),
    };
    return m;
}

QList<std::pair<qsizetype, qsizetype>> trouver(const QString& ligne)
{
    QList<std::pair<qsizetype, qsizetype>> trouves;
    for (const QRegularExpression& motif : motifs()) {
        auto it = motif.globalMatch(ligne);
        while (it.hasNext()) {
            const QRegularExpressionMatch m = it.next();
            if (m.capturedLength() > 0)
                trouves.append({m.capturedStart(), m.capturedEnd()});
        }
    }
    return trouves;
}

QRect boite(const QList<QRect>& boites, qsizetype debut, qsizetype fin)
{
    QRect u;
    for (qsizetype i = std::max<qsizetype>(debut, 0); i < std::min(fin, boites.size()); ++i)
        u |= boites[i];
    return u;
}

double marge(QSizeF image) { return std::max(0.004 * std::min(image.width(), image.height()), 3.0); }

double flou(QSizeF image) { return std::max(0.02 * std::min(image.width(), image.height()), 12.0); }

} // namespace Sensibles
