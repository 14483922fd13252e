#include "conversions/media/Chiffrement.h"

#include "conversions/Chemins.h"
#include "conversions/Erreur.h"

#include <QCoreApplication>

namespace Conversions {

void refuserSiChiffre(const Media::Sondage& sondage, const QString& source)
{
    if (sondage.chiffre())
        // No password opens them: their key is a DRM system's.
        throw Erreur::rien(
            QCoreApplication::translate("Conversions", "« %1 » est protégé contre la copie").arg(nomDe(source)));
}

void refuserSiChiffre(const QString& source)
{
    if (const auto sondage = Media::sonder(source))
        refuserSiChiffre(*sondage, source);
}

} // namespace Conversions
