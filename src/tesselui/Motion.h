#pragma once

#include "tesselui/Animateur.h"

// The design system's animation presets: springs of the value animator.
namespace Motion {

Mouvement snappy();  // response 0.3 s, damping 0.6
Mouvement bouncy();  // response 0.45 s, damping 0.55
Mouvement flow();    // response 0.7 s, damping 0.75

// `m` unchanged, or a 0.15 s ease-out when motion is reduced.
Mouvement adapt(const Mouvement& m, bool reduce);

// The desktop's setting (GNOME's enable-animations, GTK's settings file), asked afresh.
bool reduitDuBureau();
// The process-wide choice every component reads when it starts a move: the desktop's at
// first use; settable (tests, an option).
bool& reduire();

} // namespace Motion
