#include "tesselreverie/ReveriePolices.h"

#include "tesselui/Paquet.h"

namespace ReveriePolices {

void inscrire()
{
    const QStringList fichiers =
        Paquet::polices(Paquet::module(QStringLiteral("Tessel_TesselReverie.bundle")) + QStringLiteral("/Polices"));
    if (!fichiers.isEmpty())
        Paquet::inscrire(fichiers);
}

} // namespace ReveriePolices
