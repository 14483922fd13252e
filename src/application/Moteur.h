#pragma once

#include "conversions/Conversions.h"

#include <QStringList>

namespace Application {

// What the controller asks of the conversion engine. The application uses the real engine;
// tests give one that waits for their word, reports what they are told and can fail.
class Moteur {
public:
    virtual ~Moteur() = default;
    // The petals offered for these files.
    virtual QList<Conversions::Petale> petales(const QStringList& fichiers) = 0;
    // Converts a batch; blocking, called on a worker thread. Once cancelled it throws
    // `Conversions::Annulee`; any other exception is a failure of the batch. `bilan` follows
    // what it has done meanwhile.
    virtual Conversions::Resultat convertir(const QStringList& chemins, const QString& id,
                                            const Conversions::Progression& progression, Conversions::Bilan& bilan) = 0;
    // Quitting: every running batch stops at its next step...
    virtual void annuler() = 0;
    // ...then what a batch stuck in a library still holds is removed.
    virtual void nettoyer() = 0;
};

// The engine of src/conversions.
class MoteurConversions : public Moteur {
public:
    QList<Conversions::Petale> petales(const QStringList& fichiers) override;
    Conversions::Resultat convertir(const QStringList& chemins, const QString& id,
                                    const Conversions::Progression& progression, Conversions::Bilan& bilan) override;
    void annuler() override;
    void nettoyer() override;
};

} // namespace Application
