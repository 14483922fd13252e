#pragma once

#include <QString>
#include <QStringList>

namespace Conversions {

// Writes the zip `archive` holding the `items` at its top level under their own names.
// Links are followed, inside folders too: what a link points at is stored under its name;
// a link back to a folder on the way down or above the item (a loop) is left out, and so
// is one that leads nowhere. ".DS_Store" files, "__MACOSX" folders and the temporaries the
// engine holds at that moment are left out. Names are stored in UTF-8 and marked so.
// Throws Erreur::lecture(name) for an item that cannot be read, Erreur::ecriture(`nom`)
// when the archive cannot be written (a full disk as the system's error); Annulee once
// the engine stops.
void emballer(const QStringList& items, const QString& archive, const QString& nom);

} // namespace Conversions
