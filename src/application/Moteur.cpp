#include "application/Moteur.h"

#include "conversions/sorties/Annulation.h"

namespace Application {

QList<Conversions::Petale> MoteurConversions::petales(const QStringList& fichiers)
{
    return Conversions::petales(fichiers);
}

Conversions::Resultat MoteurConversions::convertir(const QStringList& chemins, const QString& id,
                                                   const Conversions::Progression& progression,
                                                   Conversions::Bilan& bilan)
{
    return Conversions::convertir(chemins, id, progression, bilan);
}

void MoteurConversions::annuler() { Conversions::annuler(); }

void MoteurConversions::nettoyer() { Conversions::nettoyer(); }

} // namespace Application
