#include "conversions/sorties/DossierTenu.h"

#include "conversions/sorties/Annulation.h"
#include "conversions/Chemins.h"

#include <QHash>

#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace Conversions {

namespace {

std::mutex verrou;
// The folders held now, by the path they were held at.
QHash<QByteArray, std::weak_ptr<const DossierTenu>> tenus;

} // namespace

DossierTenu::DossierTenu(QByteArray chemin, int fd, dev_t dev, ino_t ino)
    : chemin_(std::move(chemin)), fd_(fd), dev_(dev), ino_(ino)
{
}

DossierTenu::~DossierTenu() { ::close(fd_); }

std::shared_ptr<const DossierTenu> DossierTenu::tenir(const QString& chemin)
{
    const QByteArray c = local(QDir::cleanPath(QDir(chemin).absolutePath()));
    const std::lock_guard garde(verrou);
    if (const auto tenu = tenus.value(c).lock(); tenu && tenu->enPlace())
        return tenu;
    const int fd = ::open(c.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    struct stat st;
    if (fd < 0 || ::fstat(fd, &st) != 0) {
        if (fd >= 0)
            ::close(fd);
        return nullptr;
    }
    tenus.removeIf([](const auto& e) { return e.value().expired(); });
    std::shared_ptr<const DossierTenu> tenu(new DossierTenu(c, fd, st.st_dev, st.st_ino));
    tenus.insert(c, tenu);
    return tenu;
}

bool DossierTenu::supprimer(const QString& nom) const { return supprimerDans(fd_, local(nom)); }

QString vueDe(int descripteur) { return QStringLiteral("/proc/%1/fd/%2").arg(::getpid()).arg(descripteur); }

QString DossierTenu::vue() const { return vueDe(fd_); }

bool DossierTenu::enPlace() const
{
    struct stat st;
    return ::stat(chemin_.constData(), &st) == 0 && st.st_dev == dev_ && st.st_ino == ino_;
}

} // namespace Conversions
