#include "roue/VueRoue.h"
#include "tesselui/Motion.h"

namespace Roue {

bool VueRoue::mouvementReduitDuBureau() { return Motion::reduitDuBureau(); }

} // namespace Roue
