#pragma once

#include <QString>

// Appends "HH:MM:SS.mmm message\n" (UTC time of day) to the log file; callable from
// any thread, never fails.
void journal(const QString& message);

// $XDG_STATE_HOME/vemo-vododod/Vemo Vododod.log (default ~/.local/state).
QString cheminDuJournal();
