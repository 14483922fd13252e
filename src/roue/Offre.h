#pragma once

#include "conversions/Catalogue.h"
#include "roue/Retouche.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace Roue {

// What the wheel offers for dragged files: the petals (with the edit petal), the edit offer
// and the central text. Shared by the drop target and the launch options.
struct Offre {
    QList<Conversions::Petale> petales;
    std::optional<Retouche> retouche;
    QString centre;
};

// The catalogue's petals with the edit offer: at 8 petals or more the "heic" ones make room,
// and "Modifier" comes last. Without an offer the petals are unchanged.
QList<Conversions::Petale> avecRetouche(QList<Conversions::Petale> petales, const std::optional<Retouche>& retouche);

// The centre: the refusal sentence when nothing is offered, else the one file's name, else
// the number of files.
QString texteCentre(const QStringList& chemins, const QList<Conversions::Petale>& petales);

// Everything at once (looks the sibling application up), with a lone PDF's page count
// known beforehand (`pages`, 0 while it is not).
Offre offre(const QStringList& chemins, int pages);

} // namespace Roue
