#include "commun/Dossier.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

Dossier::Dossier() : racine_(dir_.path()) {}

QString Dossier::chemin(const QString& nom) const { return QDir(racine_).filePath(nom); }

QString Dossier::ecrire(const QString& nom, const QByteArray& contenu) const
{
    const QString c = chemin(nom);
    QDir().mkpath(QFileInfo(c).absolutePath());
    QFile f(c);
    if (f.open(QIODevice::WriteOnly))
        f.write(contenu);
    return c;
}

QString Dossier::creerDossier(const QString& nom) const
{
    const QString c = chemin(nom);
    QDir().mkpath(c);
    return c;
}

QStringList Dossier::noms() const
{
    QStringList l = QDir(racine_).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    l.sort();
    return l;
}

int executer(const QString& programme, const QStringList& arguments, QString* sortie, int delaiMs)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    // Tests run side by side: a helper that takes every core (tesseract's OpenMP team) crawls
    // on a loaded machine, as the application's own recogniser would.
    QProcessEnvironment environnement = QProcessEnvironment::systemEnvironment();
    environnement.insert(QStringLiteral("OMP_THREAD_LIMIT"), QStringLiteral("1"));
    p.setProcessEnvironment(environnement);
    p.start(programme, arguments);
    if (!p.waitForStarted() || !p.waitForFinished(delaiMs))
        return -1;
    if (sortie)
        *sortie = QString::fromUtf8(p.readAll());
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}
