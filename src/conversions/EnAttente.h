#pragma once

#include "conversions/Erreur.h"

namespace Conversions {

// The failure of a conversion this build does not have yet.
[[noreturn]] inline void indisponible()
{
    throw Erreur::rien(QStringLiteral("Cette conversion n’est pas encore disponible"));
}

} // namespace Conversions
