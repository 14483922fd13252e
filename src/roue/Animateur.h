#include "tesselui/Animateur.h"  // moved: the design system animates with it too
