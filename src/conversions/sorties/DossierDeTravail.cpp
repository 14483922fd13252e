#include "conversions/sorties/DossierDeTravail.h"

#include "conversions/sorties/Annulation.h"
#include "conversions/sorties/DossierTenu.h"
#include "conversions/Chemins.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>

#include <cerrno>
#include <cstdio>
#include <sys/stat.h>
#include <system_error>

namespace Conversions {

namespace {

// Our prefix after the dot of a hidden name: ".extraction-" becomes ".vemo-vododod-extraction-".
QString nomDeTravail(const QString& prefixe)
{
    const bool cache = prefixe.startsWith(QLatin1Char('.'));
    return (cache ? QStringLiteral(".") : QString()) + prefixeTemporaire + prefixe.mid(cache ? 1 : 0)
           + QUuid::createUuid().toString(QUuid::WithoutBraces);
}

// `parent` made (intermediate folders too) and held; null with errno set when it cannot be.
std::shared_ptr<const DossierTenu> faitEtTenu(const QString& parent)
{
    errno = 0;
    return QDir().mkpath(parent) ? DossierTenu::tenir(parent) : nullptr;
}

} // namespace

DossierDeTravail::DossierDeTravail(const QString& parent, const QString& prefixe)
    : DossierDeTravail(parent, faitEtTenu(parent), prefixe)
{
}

DossierDeTravail::DossierDeTravail(const QString& parent, std::shared_ptr<const DossierTenu> tenu,
                                   const QString& prefixe)
    : parent_(std::move(tenu))
{
    Emprise emprise;
    const QString nom = nomDeTravail(prefixe);
    // Made through the held parent: a parent moved in between gets the folder, and it is
    // removed there.
    if (!parent_ || ::mkdir(local(parent_->vue() + QLatin1Char('/') + nom).constData(), 0700) != 0) {
        const int e = errno ? errno : ENOENT;
        parent_.reset();
        throw std::system_error(e, std::generic_category(), "mkdir");
    }
    chemin_ = QDir(parent).filePath(nom);
    emprise.tenir(chemin_);
}

DossierDeTravail::~DossierDeTravail()
{
    // Left registered when something stays (a writer still at work in it): the stop of the
    // engine, or the next start, removes it.
    if (!chemin_.isEmpty() && (parent_ ? parent_->supprimer(nomDe(chemin_)) : supprimer(chemin_)))
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
