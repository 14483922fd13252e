#include "conversions/DossierDeTravail.h"

#include "conversions/Annulation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>

#include <cerrno>
#include <cstdio>
#include <system_error>

namespace Conversions {

DossierDeTravail::DossierDeTravail(const QString& parent, const QString& prefixe)
    : chemin_(QDir(parent).filePath(prefixe + QUuid::createUuid().toString(QUuid::WithoutBraces)))
{
    Emprise emprise;
    if (!QDir().mkpath(chemin_)) {
        const int e = errno ? errno : EACCES;
        chemin_.clear();
        throw std::system_error(e, std::generic_category(), "mkdir");
    }
    emprise.tenir(chemin_);
}

DossierDeTravail::~DossierDeTravail()
{
    if (chemin_.isEmpty())
        return;
    QDir(chemin_).removeRecursively();
    Emprise(Emprise::Levee::jamais).lacher(chemin_);
}

void DossierDeTravail::abandonner()
{
    Emprise(Emprise::Levee::jamais).lacher(chemin_);
    chemin_.clear();
}

QString DossierDeTravail::fichier(const QString& nom) const
{
    return QDir(chemin_).filePath(nom);
}

void deplacer(const QString& source, const QString& destination)
{
    if (::rename(QFile::encodeName(source).constData(), QFile::encodeName(destination).constData()) == 0)
        return;
    if (errno != EXDEV || QFileInfo(source).isDir())
        throw std::system_error(errno, std::generic_category(), "rename");
    errno = 0;
    if (!QFile::copy(source, destination)) {
        // The system's reason (a full disk, most often) says more than a bare failure.
        const int e = errno ? errno : EIO;
        QFile::remove(destination);
        throw std::system_error(e, std::generic_category(), "copy");
    }
    QFile::remove(source);
}

} // namespace Conversions
