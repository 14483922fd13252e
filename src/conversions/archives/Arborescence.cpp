#include "conversions/archives/Arborescence.h"

#include "conversions/archives/NomAuJournal.h"
#include "conversions/sorties/Sortie.h"
#include "conversions/Chemins.h"
#include "conversions/Journaux.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace Conversions {

namespace {

[[noreturn]] void echecSysteme(const char* appel)
{
    throw std::system_error(errno, std::generic_category(), appel);
}

// Times a missing date leaves as they are.
void dater(int dossier, const QByteArray& nom, const Arborescence::Dates& dates)
{
    const timespec rien{0, UTIME_OMIT};
    const timespec ts[2] = {dates.acces.value_or(dates.modification.value_or(rien)), dates.modification.value_or(rien)};
    // A file system that keeps no such dates loses nothing the user wrote: the entry stays.
    ::utimensat(dossier, nom.constData(), ts, AT_SYMLINK_NOFOLLOW);
}

} // namespace

Arborescence::Arborescence(const QByteArray& dossier)
    : courant_(::open(dossier.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC))
{
    if (courant_ < 0)
        echecSysteme("open");
    ici_ = &noeuds_.emplace_back();
    reconnaitre(courant_, ici_);
}

Arborescence::~Arborescence() { ::close(courant_); }

// A folder we made, met again, must be the one we made: another program may have moved it
// away (its ".." then leads out) or put another in its place.
void Arborescence::reconnaitre(int fd, Noeud* n)
{
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        const int e = errno;
        ::close(fd);
        throw std::system_error(e, std::generic_category(), "fstat");
    }
    if (!n->identite) {
        n->identite = std::pair(st.st_dev, st.st_ino);
        return;
    }
    if (*n->identite != std::pair(st.st_dev, st.st_ino)) {
        ::close(fd);
        throw std::system_error(ENOENT, std::generic_category(), "openat");
    }
}

// One step at a time from where the last entry was written: entries that follow each other
// in one folder cost no walk, and a deep path costs its depth once, never its whole length
// for each of its components.
void Arborescence::aller(Noeud* cible)
{
    const auto passer = [this](const char* nom, Noeud* vers) {
        const int fd = ::openat(courant_, nom, O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0)
            echecSysteme("openat");
        reconnaitre(fd, vers);
        ::close(courant_);
        courant_ = fd;
        ici_ = vers;
    };
    QList<Noeud*> descente;
    Noeud* b = cible;
    while (b->profondeur > ici_->profondeur) {
        descente.append(b);
        b = b->parent;
    }
    while (ici_->profondeur > b->profondeur)
        passer("..", ici_->parent);
    while (ici_ != b) {
        passer("..", ici_->parent);
        descente.append(b);
        b = b->parent;
    }
    for (auto i = descente.rbegin(); i != descente.rend(); ++i)
        passer((*i)->nom.constData(), *i);
}

QByteArray Arborescence::libre(Noeud* ici, const QByteArray& nom)
{
    if (!ici->pris.contains(nom))
        return nom;
    const QString texte = cheminDepuisOctets(nom);
    const qsizetype point = texte.lastIndexOf(QLatin1Char('.'));
    const bool extension = point > 0 && texte.size() - point <= 17;
    int& dernier = ici->derniers[nom];
    const bool premiere = dernier == 0;
    const QByteArray nouveau = local(nomLibreParmi(extension ? texte.left(point) : texte,
                                                   extension ? texte.mid(point + 1) : QString(), dernier,
                                                   [ici](const QString& c) { return ici->pris.contains(local(c)); }));
    // Once per name: an archive may hold thousands of them.
    if (premiere)
        qCWarning(journalArchives).noquote() << QStringLiteral("deux entrées du même nom, la seconde devient : ")
                                                    + nomAuJournal(nouveau);
    return nouveau;
}

Arborescence::Noeud* Arborescence::sousDossier(Noeud* ici, const QByteArray& nom, mode_t mode)
{
    if (Noeud* n = ici->dossiers.value(nom))
        return n;
    if (ici->liens.contains(nom) || ici->pris.value(nom) == 'l')
        throw ParUnLien{};
    const QByteArray surLeDisque = libre(ici, nom);
    aller(ici);
    // Ours to enter and to remove, whatever the archive says.
    if (::mkdirat(courant_, surLeDisque.constData(), (mode & 0777) | 0700) != 0)
        echecSysteme("mkdirat");
    Noeud& n = noeuds_.emplace_back();
    n.parent = ici;
    n.nom = surLeDisque;
    n.profondeur = ici->profondeur + 1;
    ici->pris.insert(surLeDisque, 'd');
    ici->dossiers.insert(nom, &n);
    return &n;
}

Arborescence::Noeud* Arborescence::parent(const QList<QByteArray>& parties)
{
    Noeud* ici = &noeuds_.front();
    for (qsizetype i = 0; i + 1 < parties.size(); ++i)
        ici = sousDossier(ici, parties[i], 0755);
    return ici;
}

void Arborescence::dossier(const QList<QByteArray>& parties, mode_t mode, const Dates& dates)
{
    Noeud* n = sousDossier(parent(parties), parties.last(), mode);
    if (!n->dates)
        dates_.append(n);
    n->dates = dates;
}

int Arborescence::fichier(const QList<QByteArray>& parties, mode_t mode)
{
    Noeud* ici = parent(parties);
    const QByteArray nom = libre(ici, parties.last());
    aller(ici);
    const int fd = ::openat(courant_, nom.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                            (mode & 0777) | 0600);
    if (fd < 0)
        echecSysteme("openat");
    ici->pris.insert(nom, 'f');
    return fd;
}

void Arborescence::lien(const QList<QByteArray>& parties, const QByteArray& cible, const Dates& dates)
{
    Noeud* ici = parent(parties);
    const QByteArray nom = libre(ici, parties.last());
    aller(ici);
    if (::symlinkat(cible.constData(), courant_, nom.constData()) != 0)
        echecSysteme("symlinkat");
    ici->pris.insert(nom, 'l');
    ici->liens.insert(parties.last());
    dater(courant_, nom, dates);
}

void Arborescence::finir()
{
    for (Noeud* n : std::as_const(dates_)) {
        aller(n->parent);
        dater(courant_, n->nom, *n->dates);
    }
    // Each folder visited once more: one moved away meanwhile took its entries with it.
    for (Noeud& n : noeuds_)
        aller(&n);
}

} // namespace Conversions
