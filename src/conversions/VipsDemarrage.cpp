// Before Qt: glib's headers use the word Qt turns into a macro.
#include <vips/vips8>

#include "conversions/VipsDemarrage.h"

#include "conversions/Erreur.h"

#include <mutex>

namespace Conversions {

void demarrerVips()
{
    static std::once_flag fait;
    static bool pret = false;
    std::call_once(fait, [] {
        pret = VIPS_INIT("vemo-vododod") == 0;
        // Files change between two drops: a cache keyed on their names would serve stale pixels.
        if (pret)
            vips_cache_set_max(0);
    });
    if (!pret)
        throw Erreur::rien(QStringLiteral("Les images ne peuvent pas être traitées sur ce système"));
}

} // namespace Conversions
