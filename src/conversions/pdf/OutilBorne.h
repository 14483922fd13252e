#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <chrono>

namespace Conversions {

// Runs `programme` in a child process and returns what it writes on its standard output.
// The child is killed once `delai` has passed: a damaged or hostile document can neither
// keep a job waiting for ever nor bring the engine down with it. A failure (the program
// exits with an error, dies, or runs out of time) is Erreur::lecture with `nom`, its
// error text going to the log; a program missing from the system is Erreur::rien.
QByteArray executerBorne(const QString& programme, const QStringList& arguments,
                         std::chrono::milliseconds delai, const QString& nom);

} // namespace Conversions
