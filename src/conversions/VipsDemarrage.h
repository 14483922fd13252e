#pragma once

namespace Conversions {

// Starts libvips once for the whole process, from any thread; throws Erreur when it cannot.
void demarrerVips();

} // namespace Conversions
