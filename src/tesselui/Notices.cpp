#include "tesselui/Notices.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QMutexLocker>
#include <QThread>
#include <QUrl>

Notices& Notices::shared()
{
    static Notices* n = new Notices;
    return *n;
}

Notices::Notices()
{
    // Its signal must reach the GUI thread even when a worker made it first.
    if (QCoreApplication::instance() && thread() != QCoreApplication::instance()->thread())
        moveToThread(QCoreApplication::instance()->thread());
}

void Notices::post(const Notice& n)
{
    {
        QMutexLocker v(&verrou_);
        pending_.append(n);
    }
    QMetaObject::invokeMethod(this, &Notices::changed, Qt::QueuedConnection);
}

void Notices::success(const QString& title, const std::optional<QString>& detail, const std::optional<QString>& reveal)
{
    post(Notice(Notice::Kind::success, title, detail, reveal));
}

void Notices::error(const QString& title, const std::optional<QString>& detail)
{
    post(Notice(Notice::Kind::error, title, detail));
}

void Notices::error(const QString& title, const std::exception& e)
{
    post(Notice(Notice::Kind::error, title, QString::fromUtf8(e.what())));
}

void Notices::info(const QString& title, const std::optional<QString>& detail)
{
    post(Notice(Notice::Kind::info, title, detail));
}

std::optional<Notice> Notices::take()
{
    QMutexLocker v(&verrou_);
    if (pending_.isEmpty())
        return std::nullopt;
    return pending_.takeFirst();
}

int Notices::pending() const
{
    QMutexLocker v(&verrou_);
    return int(pending_.size());
}

Notices::Durees& Notices::durees()
{
    static Durees d;
    return d;
}

QString Notices::texte(const QString& cle)
{
    if (cle == QLatin1String("notices.reveal"))
        return QCoreApplication::translate("notices", "Afficher dans le dossier");
    if (cle == QLatin1String("notices.close"))
        return QCoreApplication::translate("notices", "Fermer");
    return cle;
}

std::function<void(const QString&)>& Notices::revelateur()
{
    // Without the file manager's service, the file's folder opens.
    static std::function<void(const QString&)> r = [](const QString& f) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(f).absolutePath()));
    };
    return r;
}
