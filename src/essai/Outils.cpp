#include "essai/Outils.h"

#include "conversions/media/FFmpeg.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QProcess>
#include <QStandardPaths>
#include <QtConcurrent>

namespace Essai {

bool executer(const QString& programme, const QStringList& arguments, const QByteArray& entree, QByteArray* sortie)
{
    QProcess p;
    p.setProcessChannelMode(sortie ? QProcess::SeparateChannels : QProcess::MergedChannels);
    p.start(programme, arguments);
    if (!p.waitForStarted())
        return false;
    if (!entree.isEmpty())
        p.write(entree);
    p.closeWriteChannel();
    if (!p.waitForFinished(300000)) {
        p.kill();
        p.waitForFinished();
        return false;
    }
    if (sortie)
        *sortie = p.readAllStandardOutput();
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

QString ffmpeg()
{
    const QString moteur = Conversions::ffmpeg();
    return moteur.isEmpty() ? QStandardPaths::findExecutable(QStringLiteral("ffmpeg")) : moteur;
}

void attendre(const std::function<void()>& travail)
{
    QFutureWatcher<void> veilleur;
    QEventLoop boucle;
    QObject::connect(&veilleur, &QFutureWatcher<void>::finished, &boucle, &QEventLoop::quit);
    veilleur.setFuture(QtConcurrent::run(travail));
    if (!veilleur.isFinished())
        boucle.exec();
    veilleur.waitForFinished();
}

qint64 taille(const QString& chemin)
{
    const QFileInfo info(chemin);
    return info.exists() ? info.size() : 0;
}

} // namespace Essai
