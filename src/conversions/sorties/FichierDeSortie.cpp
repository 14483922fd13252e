#include "conversions/sorties/FichierDeSortie.h"

#include "conversions/Chemins.h"
#include "conversions/Erreur.h"
#include "conversions/Journaux.h"
#include "conversions/sorties/Sortie.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <system_error>
#include <unistd.h>

namespace Conversions {

namespace {

void noter(const QString& nom, int code)
{
    qCWarning(journalConversions).noquote()
        << QStringLiteral("écriture de %1 : %2").arg(nom, QString::fromLocal8Bit(std::strerror(code)));
}

} // namespace

FichierDeSortie::FichierDeSortie(const Sortie& sortie) : FichierDeSortie(sortie.temporaire(), sortie.nom()) {}

FichierDeSortie::FichierDeSortie(const QString& chemin, const QString& nom)
    : fd_(::open(local(chemin).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644)), nom_(nom)
{
    if (fd_ < 0) {
        noter(nom_, errno);
        throw Erreur::ecriture(nom_);
    }
}

FichierDeSortie::~FichierDeSortie()
{
    if (fd_ >= 0)
        ::close(fd_);
}

bool FichierDeSortie::essayer(const void* octets, std::size_t taille) noexcept
{
    const char* d = static_cast<const char*>(octets);
    while (!echoue_ && taille > 0) {
        const ssize_t n = ::write(fd_, d, taille);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            code_ = n < 0 ? errno : ENOSPC;
            noter(nom_, code_);
            echoue_ = true;
            break;
        }
        d += n;
        taille -= static_cast<std::size_t>(n);
    }
    return !echoue_;
}

void FichierDeSortie::echouer() const
{
    if (disquePlein(code_))
        throw std::system_error(code_, std::generic_category(), local(nom_).toStdString());
    throw Erreur::ecriture(nom_);
}

void FichierDeSortie::ecrire(const void* octets, std::size_t taille)
{
    if (!essayer(octets, taille))
        echouer();
}

void FichierDeSortie::fermer()
{
    const int fd = fd_;
    fd_ = -1;
    // Closed already (a second call after a failure): the first failure stands.
    if (fd >= 0 && ::close(fd) != 0) {
        code_ = errno;
        noter(nom_, code_);
        echoue_ = true;
    }
    if (echoue_)
        echouer();
}

void ecrireDans(const Sortie& sortie, const QByteArray& octets)
{
    FichierDeSortie fichier(sortie);
    fichier.ecrire(octets);
    fichier.fermer();
}

} // namespace Conversions
