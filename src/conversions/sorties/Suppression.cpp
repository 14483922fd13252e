// Removal of a file or a whole folder, at any depth: every step works relative to an open
// folder, so no path ever passes the system's length limit, and no link is followed.
#include "conversions/sorties/Annulation.h"

#include "conversions/Chemins.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace Conversions {

namespace {

// One folder of the way down: its name in the folder above, who it is, and its listing
// while it is kept open.
struct Niveau {
    QByteArray nom;
    dev_t dev = 0;
    ino_t ino = 0;
    DIR* flux = nullptr;
};

// Listings kept open down the way: the folders above them are listed again from their start
// on the way back up (what was removed is gone from them), so a tree of any depth takes
// only this many descriptors.
constexpr size_t fluxOuverts = 32;
// A folder found full again after it was emptied is emptied this many times at most (a
// writer still at work in it).
constexpr int reprises = 100;

std::optional<Niveau> entrer(int dossier, const QByteArray& nom)
{
    const int fd = ::openat(dossier, nom.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    struct stat st;
    DIR* flux = ::fstat(fd, &st) == 0 ? ::fdopendir(fd) : nullptr;
    if (!flux) {
        ::close(fd);
        return std::nullopt;
    }
    return Niveau{nom, st.st_dev, st.st_ino, flux};
}

bool estDossier(int dossier, const dirent* e)
{
    if (e->d_type != DT_UNKNOWN)
        return e->d_type == DT_DIR;
    struct stat st;
    return ::fstatat(dossier, e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode);
}

// Removes every entry of the level that is not a folder, up to its first folder, returned.
// False in `ok` when an entry cannot be removed.
std::optional<QByteArray> premierDossier(Niveau& n, bool& ok)
{
    const int fd = ::dirfd(n.flux);
    while (const dirent* e = ::readdir(n.flux)) {
        if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0)
            continue;
        if (estDossier(fd, e))
            return QByteArray(e->d_name);
        if (::unlinkat(fd, e->d_name, 0) != 0 && errno != ENOENT) {
            ok = false;
            return std::nullopt;
        }
    }
    return std::nullopt;
}

// The listing of the level above `bas`, opened again through ".." when it was closed, and
// only when it is still the folder it was.
bool rouvrir(Niveau& haut, const Niveau& bas)
{
    if (haut.flux)
        return true;
    const int fd = ::openat(::dirfd(bas.flux), "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st;
    if (::fstat(fd, &st) != 0 || st.st_dev != haut.dev || st.st_ino != haut.ino || !(haut.flux = ::fdopendir(fd))) {
        ::close(fd);
        return false;
    }
    return true;
}

// Removes the folder `nom` of the open folder `racine` with all it holds, depth first,
// without recursion.
bool supprimerDossier(int racine, const QByteArray& nom)
{
    std::vector<Niveau> pile;
    std::optional<Niveau> premier = entrer(racine, nom);
    if (!premier)
        return errno == ENOENT;
    pile.push_back(*premier);
    bool ok = true;
    int essais = 0;
    while (ok) {
        if (const std::optional<QByteArray> sous = premierDossier(pile.back(), ok)) {
            std::optional<Niveau> n = entrer(::dirfd(pile.back().flux), *sous);
            if (!n) {
                ok = errno == ENOENT;  // gone meanwhile: list on
                continue;
            }
            pile.push_back(*n);
            if (pile.size() > fluxOuverts) {
                Niveau& loin = pile[pile.size() - 1 - fluxOuverts];
                if (loin.flux)
                    ::closedir(std::exchange(loin.flux, nullptr));
            }
            continue;
        }
        if (!ok)
            break;
        // Empty: removed from the folder above, whose listing goes on.
        Niveau vide = pile.back();
        pile.pop_back();
        if (!pile.empty() && !rouvrir(pile.back(), vide)) {
            ::closedir(vide.flux);
            ok = false;
            break;
        }
        ::closedir(vide.flux);
        const int haut = pile.empty() ? racine : ::dirfd(pile.back().flux);
        if (::unlinkat(haut, vide.nom.constData(), AT_REMOVEDIR) != 0 && errno != ENOENT) {
            if (errno != ENOTEMPTY || ++essais > reprises) {
                ok = false;
                break;
            }
            // Something was written into it meanwhile: emptied again.
            std::optional<Niveau> n = entrer(haut, vide.nom);
            if (!n) {
                ok = false;
                break;
            }
            pile.push_back(*n);
            continue;
        }
        if (pile.empty())
            return true;
    }
    for (Niveau& n : pile)
        if (n.flux)
            ::closedir(n.flux);
    return false;
}

} // namespace

bool supprimerDans(int dossier, const QByteArray& nom)
{
    struct stat st;
    if (::fstatat(dossier, nom.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT;
    if (!S_ISDIR(st.st_mode))
        return ::unlinkat(dossier, nom.constData(), 0) == 0 || errno == ENOENT;
    return supprimerDossier(dossier, nom);
}

bool supprimer(const QString& chemin)
{
    const QByteArray c = local(QDir::cleanPath(chemin));
    const qsizetype barre = c.lastIndexOf('/');
    const QByteArray parent = barre < 0 ? QByteArray(".") : barre == 0 ? QByteArray("/") : c.left(barre);
    const int racine = ::open(parent.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (racine < 0)
        return errno == ENOENT;
    const bool ok = supprimerDans(racine, c.mid(barre + 1));
    ::close(racine);
    return ok;
}

} // namespace Conversions
