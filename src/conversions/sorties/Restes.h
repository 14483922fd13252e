#pragma once

#include <QString>

namespace Conversions {

// The temporaries of a run are written down as they come and go, in a register of that run
// that it holds locked while it lives; a run killed or crashed leaves its register unlocked,
// and the next start removes what it still lists. Only names of ours (prefixeTemporaire)
// owned by the user, files or folders (never through a link), are removed, and the outputs
// of a hand-over cut short while they are still the files we wrote: a register can never
// make the application remove a user's file.

// Opens this run's register in `dossier` (made if missing) after removing what the dead
// runs' registers list there. Returns how many leftovers were removed. Once per run; without
// it (tests, tools) nothing is written down.
int tenirRegistre(const QString& dossier);

// Whether the last part of `chemin` is a temporary name of ours: our prefix, then a token.
bool nomTemporaire(const QString& chemin);

// For Emprise, under its lock: a temporary appears, goes, or none is left.
void noterTemporaire(const QString& chemin);
void oublierTemporaire(const QString& chemin);
void plusAucunTemporaire();
// For Emprise, under its lock: the file `fichier` is about to be renamed to `chemin` in a
// hand-over of several outputs (all or none), or the hand-over is over. The next start
// removes `chemin` only while it is still that very file (same device, inode, size, time).
void noterRemise(const QString& chemin, const QString& fichier);
void oublierRemise(const QString& chemin);

} // namespace Conversions
