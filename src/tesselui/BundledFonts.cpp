#include "tesselui/BundledFonts.h"

#include "tesselui/Paquet.h"

namespace BundledFonts {

void register_()
{
    QStringList fichiers = Paquet::polices(Paquet::module(QStringLiteral("Tessel_TesselUI.bundle")) + QStringLiteral("/Fonts"));
    fichiers << Paquet::polices(Paquet::principal());
    if (!fichiers.isEmpty())
        Paquet::inscrire(fichiers);
}

} // namespace BundledFonts
