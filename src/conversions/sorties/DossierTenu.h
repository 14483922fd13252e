#pragma once

#include <QByteArray>
#include <QString>

#include <memory>
#include <sys/types.h>

namespace Conversions {

// A folder held by an open descriptor while something of ours is made in it, so that what
// we made there is removed even when the user moved or renamed the folder meanwhile. One
// descriptor per folder, shared by all that is made there (a split of thousands of pages
// holds one).
// The open folder `descripteur` as a path, through this process's descriptors.
QString vueDe(int descripteur);

class DossierTenu {
public:
    // The folder at `chemin`, held; null when it cannot be opened.
    static std::shared_ptr<const DossierTenu> tenir(const QString& chemin);

    DossierTenu(const DossierTenu&) = delete;
    DossierTenu& operator=(const DossierTenu&) = delete;
    ~DossierTenu();

    // Removes the entry `nom` (a file, or a folder with all it holds) wherever the folder is
    // now. True when nothing is left under that name.
    bool supprimer(const QString& nom) const;
    // Whether the folder is still at the path it was held at (not moved, not replaced).
    bool enPlace() const;
    // The folder wherever it is now, as a path (/proc/<pid>/fd/<n>) for the writers that
    // take one, libraries and helper programs alike: what they make under it lands in this
    // folder, never in another that took its old path.
    QString vue() const;

private:
    DossierTenu(QByteArray chemin, int fd, dev_t dev, ino_t ino);

    QByteArray chemin_;
    int fd_;
    dev_t dev_;
    ino_t ino_;
};

} // namespace Conversions
