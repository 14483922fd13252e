#pragma once

#include <QStringList>
#include <optional>

// Developer switches: none are read from the command line in a release.
namespace DevFlags {

inline QStringList arguments() { return {}; }
inline std::optional<QString> value(const QString&) { return std::nullopt; }
// True when the process runs under the platform test runner (its variable is set).
bool isRunningTests();

} // namespace DevFlags
