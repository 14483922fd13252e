#pragma once

#include "conversions/Catalogue.h"
#include "conversions/Erreur.h"
#include "conversions/Progression.h"

#include <QString>
#include <QStringList>
#include <mutex>

namespace Conversions {

// What a batch gives back: files created in order, failure texts in order.
struct Resultat {
    QStringList crees;
    QStringList erreurs;
};

// What a running batch has done so far, read from another thread: what it made and kept,
// its failures, and how many of its files (in drop order) it is through with. A batch that
// the engine's stop ends names that way what it made and what it never finished.
class Bilan {
public:
    struct Releve {
        Resultat fait;
        qsizetype traites = 0;
    };
    // `fichiers` more files are through, with what they made or the failures they met.
    void ajouter(qsizetype fichiers, const Resultat& fait);
    Releve releve() const;

private:
    mutable std::mutex verrou_;
    Releve releve_;
};

// Converts a dropped set of files to the petal `id`. Each failure becomes a text and the
// batch goes on; only a stop of the engine ends it, with Annulee (Annulation.h), and then
// `bilan` (a new one per batch) holds what it did before.
// Blocking: call it from a worker thread.
Resultat convertir(const QStringList& chemins, const QString& id, const Progression& progression);
Resultat convertir(const QStringList& chemins, const QString& id, const Progression& progression, Bilan& bilan);

// One file; throws Erreur (or a library's exception). Returns the files created.
QStringList convertirUn(const QString& chemin, const QString& id, const Progression& progression = {});

// The order in which a file manager lists names: numbers by value, "image 2" before "image 10".
void trierCommeLeGestionnaire(QStringList& chemins);

} // namespace Conversions
