#pragma once

#include <QString>

namespace Application {

// Appends "HH:MM:SS.mmm message\n" (UTC time of day) to the log file; callable from
// any thread, never fails.
void journal(const QString& message);

// Routes the engine's categories (vemo.*) to the log: ffmpeg's output as its last lines, the
// others as they are. Other messages go where they went before. Installing again changes nothing.
void installerJournal();

// $XDG_STATE_HOME/vemo-vododod/Vemo Vododod.log (default ~/.local/state).
QString cheminDuJournal();

} // namespace Application
