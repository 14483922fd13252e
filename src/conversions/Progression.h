#pragma once

#include <functional>

namespace Conversions {

// A fraction done, 0 to 1; may be called from any thread.
using Progression = std::function<void(double)>;

} // namespace Conversions
