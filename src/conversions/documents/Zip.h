#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <utility>

namespace Conversions {

// A zip package built in memory, entries deflated in the order given.
// Throws Erreur::ecriture(nom) when the library refuses.
QByteArray ecrireZip(const QList<std::pair<QString, QByteArray>>& entrees, const QString& nom);

// The entries of the zip `chemin` whose names are in `voulues` or start with one of
// `dossiers` (the others are skipped without being inflated). Each entry may inflate to
// `plafond` bytes at most, and all of them to twice that, so a zip bomb stops early. A damaged
// zip, or an entry past the limit, is Erreur::lecture with the file's name; the library's own
// words go to the log. Missing entries are simply absent.
QHash<QString, QByteArray> lireZip(const QString& chemin, const QSet<QString>& voulues,
                                   const QStringList& dossiers, qint64 plafond);

} // namespace Conversions
