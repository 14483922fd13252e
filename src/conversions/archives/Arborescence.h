#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QSet>

#include <deque>
#include <optional>
#include <utility>
#include <sys/types.h>
#include <time.h>

namespace Conversions {

// What an unpacking made in its work folder, known in memory and written from the folder's
// descriptor down, one name at a time (the system's *at calls, links never followed): no
// entry is written through a link, none is written by a path that the system resolves whole
// (however deep it lies), and nothing made is ever replaced or removed. An entry whose name
// is taken (by a file, a folder or a link made before it) takes the next free one; a folder
// that took another name keeps it for the entries after it. A folder moved away or replaced
// by another program stops the writing: what was written in it is no longer ours to show.
class Arborescence {
public:
    // The folder at `dossier`, held open from now on. Throws std::system_error.
    explicit Arborescence(const QByteArray& dossier);
    ~Arborescence();
    Arborescence(const Arborescence&) = delete;
    Arborescence& operator=(const Arborescence&) = delete;

    // A path that leads through a link made before it: written, it would land where that
    // link points.
    struct ParUnLien {};

    // Access and modification times; nothing leaves the system's.
    struct Dates {
        std::optional<timespec> acces;
        std::optional<timespec> modification;
    };

    // Each call takes the entry's path as the archive names it, cleaned: its components,
    // none empty, ".", ".." or too long. Failures of the system throw std::system_error.

    // The folder at `parties`, made (with those on its way) when it is not there yet; its
    // dates are set by finir(), once nothing more is written in it.
    void dossier(const QList<QByteArray>& parties, mode_t mode, const Dates& dates);
    // A new file at `parties`, open for writing: a descriptor for the caller to close.
    int fichier(const QList<QByteArray>& parties, mode_t mode);
    // A new symbolic link at `parties` to `cible`.
    void lien(const QList<QByteArray>& parties, const QByteArray& cible, const Dates& dates);
    // Gives each folder made its dates; throws when one is no longer where it was made.
    void finir();

private:
    struct Noeud {
        Noeud* parent = nullptr;
        QByteArray nom;                      // its name on the disk
        qsizetype profondeur = 0;
        QHash<QByteArray, Noeud*> dossiers;  // its folders, by the archive's name
        QHash<QByteArray, char> pris;        // the names it holds on the disk: 'f', 'd' or 'l'
        QSet<QByteArray> liens;              // its links, by the archive's name
        QHash<QByteArray, int> derniers;     // the last counter given to each name
        std::optional<Dates> dates;
        std::optional<std::pair<dev_t, ino_t>> identite;  // known from the first time it is entered
    };

    Noeud* sousDossier(Noeud* ici, const QByteArray& nom, mode_t mode);
    Noeud* parent(const QList<QByteArray>& parties);
    QByteArray libre(Noeud* ici, const QByteArray& nom);
    void aller(Noeud* cible);
    static void reconnaitre(int fd, Noeud* n);

    std::deque<Noeud> noeuds_;
    QList<Noeud*> dates_;
    int courant_;    // the folder of `ici_`
    Noeud* ici_;
};

} // namespace Conversions
