#pragma once

#include <QString>
#include <QStringList>
#include <functional>

// The lines the self-test writes about conversions, shared by the driver and the first series.
namespace Essai::Rapport {

// The petal titles for some files, as the engine offers them.
QStringList titres(const QStringList& chemins);
// A batch conversion on a worker thread, timed.
struct Lot {
    QStringList crees;
    QStringList erreurs;
    double secondes = 0;
};
Lot convertirLot(const QStringList& chemins, const QString& id);
// One check: "  ✓ name → file — detail — 0.42 s" per created file, or "  ✗ name : [errors]".
QString essai(const QString& nom, const QStringList& entrees, const QString& id,
              const std::function<QString(const QString&)>& detail);
// The first `n` characters (grapheme clusters) of a text.
QString debut(const QString& texte, int n);

} // namespace Essai::Rapport
