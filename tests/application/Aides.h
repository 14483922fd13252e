#pragma once

#include "application/Journal.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>
#include <functional>

// The log of one test: XDG_STATE_HOME points at a fresh folder while it lives.
class JournalDeTest {
public:
    JournalDeTest() { qputenv("XDG_STATE_HOME", dossier_.path().toUtf8()); }
    ~JournalDeTest() { qunsetenv("XDG_STATE_HOME"); }
    // The messages, time stamps removed.
    QStringList messages() const
    {
        QFile f(cheminDuJournal());
        QStringList m;
        if (!f.open(QIODevice::ReadOnly))
            return m;
        for (const QString& ligne : QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            m << ligne.mid(13);
        return m;
    }
    bool contient(const QString& message) const { return messages().contains(message); }
    int compte(const QString& message) const { return int(messages().count(message)); }

private:
    QTemporaryDir dossier_;
};

// Runs the event loop until `condition` holds or `ms` pass; says whether it held.
inline bool attendre(const std::function<bool()>& condition, int ms = 5000)
{
    QElapsedTimer t;
    t.start();
    while (!condition()) {
        if (t.elapsed() > ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(2);
    }
    return true;
}

// Runs the event loop for `ms`.
inline void patienter(int ms)
{
    attendre([] { return false; }, ms);
}
