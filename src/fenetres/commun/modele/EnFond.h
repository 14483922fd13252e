#pragma once

#include "conversions/Erreur.h"
#include "conversions/Journaux.h"

#include <QCoreApplication>
#include <QObject>
#include <QPointer>
#include <QThreadPool>
#include <functional>
#include <optional>
#include <stdexcept>

// Runs `travail` on a worker and hands its result to `suite` on the GUI thread, only while
// `garde` still exists. The result is queued to the application, never to `garde`, so a
// closed window is never touched. A `travail` that throws ends neither its worker nor the
// application: its words go to the log and `echec` gets the French text of the failure.
// Conversions run on a pool of their own: this one is never full of them.
template <typename T>
void enFond(QObject* garde, std::function<T()> travail, std::function<void(T)> suite,
            std::function<void(const QString&)> echec = {})
{
    QPointer<QObject> moi(garde);
    QThreadPool::globalInstance()->start([moi, travail = std::move(travail), suite = std::move(suite),
                                          echec = std::move(echec)] {
        std::optional<T> resultat;
        QString texte;
        auto noter = [&texte](const std::exception& e) {
            qCWarning(Conversions::journalConversions).noquote() << QStringLiteral("tâche de fond : ") + QString::fromUtf8(e.what());
            texte = Conversions::description(e);
        };
        try {
            resultat.emplace(travail());
        } catch (const std::exception& e) {
            noter(e);
        } catch (...) {
            noter(std::runtime_error("exception inconnue"));
        }
        QMetaObject::invokeMethod(qApp, [moi, suite, echec, resultat = std::move(resultat), texte] {
            if (!moi)
                return;
            if (resultat)
                suite(*resultat);
            else if (echec)
                echec(texte);
        }, Qt::QueuedConnection);
    });
}
