#include "application/Reveler.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

namespace Application {

void reveler(const QStringList& fichiers, const QDBusConnection& bus, QObject* contexte)
{
    if (fichiers.isEmpty())
        return;
    const QString dossier = QFileInfo(fichiers.first()).absolutePath();
    if (!bus.isConnected()) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(dossier));
        return;
    }
    QStringList uris;
    for (const QString& f : fichiers)
        uris << QUrl::fromLocalFile(f).toString(QUrl::FullyEncoded);
    QDBusMessage appel = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    appel << uris << QString();
    auto* attente = new QDBusPendingCallWatcher(bus.asyncCall(appel, 3000), contexte);
    QObject::connect(attente, &QDBusPendingCallWatcher::finished, contexte, [dossier](QDBusPendingCallWatcher* w) {
        if (w->isError())
            QDesktopServices::openUrl(QUrl::fromLocalFile(dossier));
        w->deleteLater();
    });
}

} // namespace Application
