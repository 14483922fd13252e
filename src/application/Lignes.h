#pragma once

#include <QString>
#include <QStringList>

namespace Application {

// Texts of the log lines that need more than a concatenation.
namespace Lignes {

// ["a", "b \"c\""]: each name between straight quotes, quotes and backslashes escaped.
QString liste(const QStringList& noms);

// A batch as the drop and the cancel lines name it: its files' names and the petal,
// ["a.pdf", "b.pdf"] sur jpg.
QString lot(const QStringList& chemins, const QString& petale);

// "ffmpeg : " and the last three non-empty lines of its output, joined by " | ".
QString ffmpeg(const QString& sortie);

// The file names (last path components) of paths.
QStringList noms(const QStringList& chemins);

} // namespace Lignes

} // namespace Application
