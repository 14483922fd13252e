#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>

namespace Essai {

// Runs a program, feeding `entree` on its standard input; true when it exits with 0.
// Its standard output goes into `sortie` when given.
bool executer(const QString& programme, const QStringList& arguments, const QByteArray& entree = {},
              QByteArray* sortie = nullptr);
// ffmpeg for making samples: the one beside the executable, else the system's.
QString ffmpeg();
// Runs `travail` on a worker thread and waits for it while the event loop turns, so no
// conversion blocks the GUI thread.
void attendre(const std::function<void()>& travail);
// The size in bytes, 0 when unreadable.
qint64 taille(const QString& chemin);

} // namespace Essai
