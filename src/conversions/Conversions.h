#pragma once

#include "conversions/Catalogue.h"
#include "conversions/Erreur.h"
#include "conversions/Progression.h"

#include <QString>
#include <QStringList>

namespace Conversions {

// What a batch gives back: files created in order, failure texts in order.
struct Resultat {
    QStringList crees;
    QStringList erreurs;
};

// Converts a dropped set of files to the petal `id`. Each failure becomes a text and the
// batch goes on; only a stop of the engine ends it, with Annulee (Annulation.h).
// Blocking: call it from a worker thread.
Resultat convertir(const QStringList& chemins, const QString& id, const Progression& progression);

// One file; throws Erreur (or a library's exception). Returns the files created.
QStringList convertirUn(const QString& chemin, const QString& id, const Progression& progression = {});

// The order in which a file manager lists names: numbers by value, "image 2" before "image 10".
void trierCommeLeGestionnaire(QStringList& chemins);

} // namespace Conversions
