#pragma once

#include <QCoreApplication>
#include <QObject>
#include <QPointer>
#include <QThreadPool>
#include <functional>

// Runs `travail` on a worker and hands its result to `suite` on the GUI thread, only while
// `garde` still exists. The result is queued to the application, never to `garde`, so a
// closed window is never touched.
template <typename T>
void enFond(QObject* garde, std::function<T()> travail, std::function<void(T)> suite)
{
    QPointer<QObject> moi(garde);
    QThreadPool::globalInstance()->start([moi, travail = std::move(travail), suite = std::move(suite)] {
        T resultat = travail();
        QMetaObject::invokeMethod(qApp, [moi, suite, resultat = std::move(resultat)] {
            if (moi)
                suite(resultat);
        }, Qt::QueuedConnection);
    });
}
