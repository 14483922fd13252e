#pragma once

#include <functional>

namespace Application {

// SIGTERM, SIGINT and SIGHUP (logging out, Ctrl+C, a closed terminal) call `quitter` on
// the GUI thread instead of ending the process where it stands. Once per run.
void arreterSurSignal(std::function<void()> quitter);

} // namespace Application
