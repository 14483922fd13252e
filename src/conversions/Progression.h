#pragma once

#include <functional>

namespace Conversions {

// A fraction done, 0 to 1; may be called from any thread. Inside a batch a report throws
// Annulee once the engine is stopped: a conversion lets it pass like any failure.
using Progression = std::function<void(double)>;

} // namespace Conversions
