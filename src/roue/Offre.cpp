#include "roue/Offre.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace Roue {

namespace {

// The last path component; a folder dragged as "/a/b/" is named "b".
QString nomDe(QString chemin)
{
    while (chemin.size() > 1 && chemin.endsWith(QLatin1Char('/')))
        chemin.chop(1);
    const QString nom = QFileInfo(chemin).fileName();
    return nom.isEmpty() ? chemin : nom;
}

} // namespace

QList<Conversions::Petale> avecRetouche(QList<Conversions::Petale> petales, const std::optional<Retouche>& retouche)
{
    if (!retouche)
        return petales;
    if (petales.size() >= 8)
        petales.removeIf([](const Conversions::Petale& p) { return p.id == QLatin1String("heic"); });
    petales.append(retouche->petale());
    return petales;
}

QString texteCentre(const QStringList& chemins, const QList<Conversions::Petale>& petales)
{
    if (petales.isEmpty())
        return Conversions::refus(chemins);
    if (chemins.size() == 1)
        return nomDe(chemins.first());
    return QCoreApplication::translate("Roue", "%lld fichiers")
        .replace(QLatin1String("%lld"), QString::number(chemins.size()));
}

Offre offre(const QStringList& chemins, int pages)
{
    Offre o;
    o.retouche = Retouche::pour(chemins);
    o.petales = avecRetouche(Conversions::petales(chemins, pages), o.retouche);
    o.centre = texteCentre(chemins, o.petales);
    return o;
}

} // namespace Roue
