#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <chrono>

namespace Conversions {

// What a child's standard output may hold unless the caller says otherwise: the largest page
// image poppler draws for us (pixelsDePageAuPlus, 3 bytes a pixel) and its header.
inline constexpr qsizetype sortieAuPlus = 460 << 20;

// Runs `programme` in a child process and returns what it writes on its standard output.
// The child is killed once `delai` has passed: a damaged or hostile document can neither
// keep a job waiting for ever nor bring the engine down with it. A failure (the program
// exits with an error, dies, or runs out of time) is Erreur::lecture with `nom`, its
// error text going to the log; a program missing from the system is Erreur::rien. An
// output past `plafond` bytes stops the child: « nom » est trop grand. With `memoire`, the
// child's allocations fail past that many bytes of address space.
QByteArray executerBorne(const QString& programme, const QStringList& arguments,
                         std::chrono::milliseconds delai, const QString& nom, qsizetype plafond = sortieAuPlus,
                         qsizetype memoire = 0);

} // namespace Conversions
