#pragma once

namespace BundledFonts {

// Registers every TTF file of the "Fonts" folder of the design system's bundle and
// those at the top of the application's resources. Called once at launch.
void register_();

} // namespace BundledFonts
