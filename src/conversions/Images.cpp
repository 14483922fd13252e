#include "conversions/Images.h"
#include "conversions/EnAttente.h"

namespace Conversions {

QString image(const QString&, const QString&) { indisponible(); }
QString imageLegere(const QString&) { indisponible(); }
QString texteDeLImage(const QString&) { indisponible(); }
QString lireTexte(const QImage&) { indisponible(); }
QString detourer(const QString&) { indisponible(); }
QImage redressee(const QString&, std::optional<int>) { indisponible(); }
QImage aplatir(const QImage&) { indisponible(); }
QByteArray webp(const QImage&, float) { indisponible(); }
QString type(const QString&) { return {}; }
const QSet<QString>& ecriture()
{
    static const QSet<QString> aucun;
    return aucun;
}

} // namespace Conversions
