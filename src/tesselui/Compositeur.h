#pragma once

// Whether a compositing manager runs on the display: without one, an X11 window's transparent
// pixels show black, and a rounded window must be shaped instead. True off X11 (Wayland
// always composites; the offscreen platform draws no desktop).
namespace Compositeur {

bool actif();

} // namespace Compositeur
