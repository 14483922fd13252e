#include "fenetres/commun/modele/Echecs.h"

#include "conversions/Chemins.h"
#include "conversions/Erreur.h"

#include <QFileInfo>

namespace Echecs {

void journaliser(const QLoggingCategory& categorie, const QString& fichier, const std::exception& e)
{
    qCWarning(categorie).noquote() << QFileInfo(fichier).fileName() + QStringLiteral(" : ") + QString::fromUtf8(e.what());
}

QString nomCite(const std::exception& e, const QString& source)
{
    // A full disk is said of the source.
    if (Conversions::disquePlein(e))
        return Conversions::lisible(Conversions::nomDe(source));
    const auto* erreur = dynamic_cast<const Conversions::Erreur*>(&e);
    return erreur && erreur->cas() != Conversions::Erreur::Cas::rien ? erreur->charge() : QString();
}

} // namespace Echecs
