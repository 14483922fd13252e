#include "roue/VueRoue.h"
#include "tesselui/Motion.h"

bool VueRoue::mouvementReduitDuBureau() { return Motion::reduitDuBureau(); }
