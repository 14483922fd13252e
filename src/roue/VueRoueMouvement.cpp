#include "roue/VueRoue.h"
#include "tesselui/Motion.h"

namespace Roue {

bool VueRoue::mouvementReduitDuBureau() { return Motion::reduitDuBureau(); }

void VueRoue::suivreLeBureau()
{
    // Read afresh when built, then the design system's live choice: a change on the desktop
    // reaches the opening, the mascot's arrival, shake and blinks without a restart. The fresh
    // reading becomes that choice too, else a change it missed would keep the next one silent.
    Motion::suivreBureau();
    Motion::setReduire(mouvementReduitDuBureau());
    setReduire(Motion::reduire());
    connect(&Motion::veilleur(), &Motion::Veilleur::change, this, &VueRoue::setReduire);
}

} // namespace Roue
