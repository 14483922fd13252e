#pragma once

#include <QByteArray>
#include <QString>

namespace Conversions {

// An entry's name as a log line quotes it: its control characters written as escapes
// (\n, \t, \x1b…), so that a name never forges a line or drives the terminal that shows it.
QString nomAuJournal(const QByteArray& nom);

} // namespace Conversions
