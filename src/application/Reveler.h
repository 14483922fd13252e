#pragma once

#include <QDBusConnection>
#include <QStringList>

class QObject;

namespace Application {

// Shows files selected in the desktop's file manager (FileManager1.ShowItems on `bus`);
// without one, opens the first file's folder. Returns at once; `contexte` bounds the wait.
void reveler(const QStringList& fichiers, const QDBusConnection& bus, QObject* contexte);

} // namespace Application
