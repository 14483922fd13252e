#include "essai/Rapport.h"

#include "conversions/Conversions.h"
#include "essai/Formes.h"
#include "essai/Outils.h"

#include <QFileInfo>
#include <QTextBoundaryFinder>
#include <chrono>

namespace Essai::Rapport {

QStringList titres(const QStringList& chemins)
{
    QStringList l;
    for (const Conversions::Petale& p : Conversions::petales(chemins))
        l << p.titre;
    return l;
}

Lot convertirLot(const QStringList& chemins, const QString& id)
{
    Lot lot;
    const auto debut = std::chrono::steady_clock::now();
    attendre([&] {
        const Conversions::Resultat r = Conversions::convertir(chemins, id, [](double) {});
        lot.crees = r.crees;
        lot.erreurs = r.erreurs;
    });
    lot.secondes = std::chrono::duration<double>(std::chrono::steady_clock::now() - debut).count();
    return lot;
}

QString essai(const QString& nom, const QStringList& entrees, const QString& id,
              const std::function<QString(const QString&)>& detail)
{
    const Lot lot = convertirLot(entrees, id);
    if (lot.crees.isEmpty())
        return QStringLiteral("  ✗ ") + nom + QStringLiteral(" : ") + Formes::liste(lot.erreurs) + QLatin1Char('\n');
    QString lignes;
    for (const QString& cree : lot.crees)
        lignes += QStringLiteral("  ✓ ") + nom + QStringLiteral(" → ") + QFileInfo(cree).fileName()
                  + QStringLiteral(" — ") + detail(cree) + QStringLiteral(" — ") + Formes::duree(lot.secondes)
                  + QLatin1Char('\n');
    if (!lot.erreurs.isEmpty())
        lignes += QStringLiteral("    erreurs : ") + Formes::liste(lot.erreurs) + QLatin1Char('\n');
    return lignes;
}

QString debut(const QString& texte, int n)
{
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, texte);
    int vus = 0;
    while (vus < n && graphemes.toNextBoundary() >= 0)
        ++vus;
    const qsizetype fin = graphemes.position() < 0 ? texte.size() : graphemes.position();
    return texte.left(fin);
}

} // namespace Essai::Rapport
