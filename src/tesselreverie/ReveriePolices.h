#pragma once

namespace ReveriePolices {

// Registers every TTF file of the "Polices" folder of the Reverie bundle (and only those).
// Called once at launch, after the design system's fonts.
void inscrire();

} // namespace ReveriePolices
