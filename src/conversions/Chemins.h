#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>

namespace Conversions {

// The name a message quotes: the last component, also of a folder given with a final "/".
inline QString nomDe(const QString& chemin) { return QFileInfo(QDir::cleanPath(chemin)).fileName(); }

// A path as the system's calls take it.
inline QByteArray local(const QString& chemin) { return QFile::encodeName(chemin); }

} // namespace Conversions
