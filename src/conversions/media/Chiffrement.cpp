#include "conversions/media/Chiffrement.h"

#include "conversions/Chemins.h"
#include "conversions/Erreur.h"

namespace Conversions {

void refuserSiChiffre(const Media::Sondage& sondage, const QString& source)
{
    if (sondage.chiffre())
        throw Erreur::protege(nomDe(source));
}

void refuserSiChiffre(const QString& source)
{
    if (const auto sondage = Media::sonder(source))
        refuserSiChiffre(*sondage, source);
}

} // namespace Conversions
