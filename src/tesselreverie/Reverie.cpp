#include "tesselreverie/Reverie.h"

#include "tesselui/Vavirud.h"

namespace Reverie {

Couleur teinte(std::uint32_t clair, std::uint32_t sombre)
{
    return Couleur(Tokens::ThemedColor(Tokens::RGB(clair), Tokens::RGB(sombre)));
}

Couleur encre() { static const Couleur c = teinte(0x18191B, 0xEEF0F6); return c; }
Couleur ardoise() { static const Couleur c = teinte(0x5C5D61, 0xA3A9BA); return c; }
Couleur nuage() { static const Couleur c = teinte(0xEEF0EE, 0x1D2333); return c; }
Couleur neige() { static const Couleur c = teinte(0xFAFBFA, 0x0D111C); return c; }
Couleur papier() { static const Couleur c = teinte(0xFFFFFF, 0x161B28); return c; }
Couleur filet() { static const Couleur c = teinte(0xEEF0EE, 0x252B3A); return c; }
Couleur action() { static const Couleur c = teinte(0x18191B, 0xEEF0F6); return c; }
Couleur surAction() { static const Couleur c = teinte(0xFFFFFF, 0x12141C); return c; }

QFont serif(double taille)
{
    QFont f(QStringLiteral("Instrument Serif"));
    f.setPixelSize(std::max(1, int(std::lround(std::clamp(std::isfinite(taille) ? taille : 13.0, 1.0, 4096.0)))));
    return f;
}

QFont sans(double taille, double poids)
{
    static Vavirud::Cache cache;
    return Vavirud::depuis(cache, QStringLiteral("Instrument Sans"), taille, poids);
}

} // namespace Reverie
