#include "application/Journal.h"

#include "application/Lignes.h"
#include "conversions/Chemins.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <atomic>
#include <cstdio>

#include <fcntl.h>
#include <unistd.h>

namespace Application {

QString cheminDuJournal()
{
    QString etat = qEnvironmentVariable("XDG_STATE_HOME");
    if (etat.isEmpty() || !QDir::isAbsolutePath(etat))
        etat = QDir::homePath() + QStringLiteral("/.local/state");
    return etat + QStringLiteral("/vemo-vododod/Vemo Vododod.log");
}

void journal(const QString& message)
{
    // One event, one line: a line break in a file's name or in a library's words is written
    // as its escape, never as a new line of its own. A name's bytes that are not UTF-8 are
    // shown as Latin-1.
    QString texte = Conversions::lisible(message);
    texte.replace(QLatin1Char('\n'), QLatin1String("\\n")).replace(QLatin1Char('\r'), QLatin1String("\\r"));
    const QString ligne = QDateTime::currentDateTimeUtc().time().toString(QStringLiteral("HH:mm:ss.zzz"))
                          + QLatin1Char(' ') + texte + QLatin1Char('\n');
    const QString chemin = cheminDuJournal();
    QDir().mkpath(QFileInfo(chemin).absolutePath());
    // One write on an O_APPEND descriptor: lines from several threads never interleave.
    const int fd = ::open(QFile::encodeName(chemin).constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        return;
    const QByteArray octets = ligne.toUtf8();
    [[maybe_unused]] const ssize_t ecrits = ::write(fd, octets.constData(), static_cast<size_t>(octets.size()));
    ::close(fd);
}

namespace {

std::atomic<QtMessageHandler> precedent{nullptr};

void versLeJournal(QtMsgType type, const QMessageLogContext& contexte, const QString& message)
{
    const QLatin1StringView categorie(contexte.category ? contexte.category : "");
    if (categorie.startsWith(QLatin1String("vemo."))) {
        journal(categorie == QLatin1String("vemo.ffmpeg") ? Lignes::ffmpeg(message) : message);
        return;
    }
    if (const QtMessageHandler suivant = precedent.load())
        suivant(type, contexte, message);
    else
        std::fputs(qPrintable(qFormatLogMessage(type, contexte, message) + QLatin1Char('\n')), stderr);
}

} // namespace

void installerJournal()
{
    const QtMessageHandler avant = qInstallMessageHandler(versLeJournal);
    if (avant != versLeJournal)
        precedent = avant;
}

} // namespace Application
