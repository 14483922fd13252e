#include "conversions/pdf/PdfCompte.h"

#include "conversions/Chemins.h"
#include "conversions/Erreur.h"
#include "conversions/Journaux.h"
#include "conversions/pdf/OutilBorne.h"
#include "conversions/sorties/Annulation.h"

#include <QStringList>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Conversions {

namespace {

// The count's whole output is one number.
constexpr qsizetype sortieDuCompte = 64;

// The file opened here and handed to qpdf through this process's descriptor: any name (not
// UTF-8, led by a dash) reaches it, and a pipe or a device is never read.
class Ouvert {
public:
    explicit Ouvert(const QString& chemin)
        : fd_(::open(local(chemin).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY))
    {
        struct stat s {};
        if (fd_ >= 0 && (::fstat(fd_, &s) != 0 || !S_ISREG(s.st_mode))) {
            ::close(fd_);
            fd_ = -1;
        }
    }
    Ouvert(const Ouvert&) = delete;
    Ouvert& operator=(const Ouvert&) = delete;
    ~Ouvert()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }

    bool ouvert() const { return fd_ >= 0; }
    QString vue() const { return QStringLiteral("/proc/%1/fd/%2").arg(::getpid()).arg(fd_); }

private:
    int fd_;
};

} // namespace

int compterPages(const QString& chemin, std::chrono::milliseconds delai)
{
    const Ouvert fichier(chemin);
    if (!fichier.ouvert())
        return 0;
    try {
        // Warnings say the table was repaired: the count stands.
        const QByteArray sortie = executerBorne(
            QStringLiteral("/usr/bin/qpdf"),
            {QStringLiteral("--show-npages"), QStringLiteral("--warning-exit-0"), fichier.vue()}, delai,
            nomDe(chemin), sortieDuCompte, memoireDuCompte);
        bool nombre = false;
        const int pages = sortie.trimmed().toInt(&nombre);
        if (nombre && pages > 0)
            return pages;
        qCWarning(journalPdf).noquote() << QStringLiteral("qpdf : pas de nombre de pages pour %1").arg(chemin);
    } catch (const Erreur&) {
        // Damaged past repair, locked, or out of bounds (executerBorne logs why): the drag
        // only loses « Séparer », and the conversions say why when they are asked for.
    } catch (const Annulee&) {
        // The application is quitting.
    }
    return 0;
}

} // namespace Conversions
