#include "Ecoute.h"

#include <QMutex>
#include <QMutexLocker>

#include <utility>
#include <vector>

namespace {

QMutex verrou;
std::vector<std::pair<QByteArray, QString>> recus;
QtMessageHandler avant = nullptr;

void garder(QtMsgType type, const QMessageLogContext& contexte, const QString& message)
{
    const QByteArray categorie(contexte.category ? contexte.category : "");
    if (!categorie.startsWith("vemo.")) {
        if (avant)
            avant(type, contexte, message);
        return;
    }
    const QMutexLocker garde(&verrou);
    recus.emplace_back(categorie, message);
}

} // namespace

Ecoute::Ecoute()
{
    recus.clear();
    avant = qInstallMessageHandler(garder);
}

Ecoute::~Ecoute()
{
    qInstallMessageHandler(avant);
    const QMutexLocker garde(&verrou);
    recus.clear();
}

QStringList Ecoute::messages(const char* categorie) const
{
    const QMutexLocker garde(&verrou);
    QStringList l;
    for (const auto& [c, m] : recus)
        if (c == categorie)
            l << m;
    return l;
}

QStringList Ecoute::tous() const
{
    const QMutexLocker garde(&verrou);
    QStringList l;
    for (const auto& [c, m] : recus)
        l << QString::fromUtf8(c) + QStringLiteral(" | ") + m;
    return l;
}
