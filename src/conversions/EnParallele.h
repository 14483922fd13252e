#pragma once

#include <functional>

namespace Conversions {

// The cores left idle right now (measured over a twentieth of a second), at least one:
// a job takes only those, so two jobs at once share the machine.
int coeursLibres();

// Runs `travail(i)` for every i in [0, n) on up to `fils` threads, handing the indices
// out in order. After a failure no new index starts; once every running one is back, the
// failure of the smallest index is thrown, the one a plain loop would have met first.
void enParallele(int n, int fils, const std::function<void(int)>& travail);

} // namespace Conversions
