#pragma once

#include <QString>
#include <QStringList>

namespace Conversions {

// Writes the zip `archive` holding the `items` at its top level under their own names.
// An item that is a link brings what it points at; the links inside a folder stay links.
// ".DS_Store" files and "__MACOSX" folders are left out. Names are stored in UTF-8 and
// marked so. Throws Erreur::lecture(name) for an item that cannot be read and
// Erreur::ecriture(`nom`) when the archive cannot be written; Annulee once the engine stops.
void emballer(const QStringList& items, const QString& archive, const QString& nom);

} // namespace Conversions
