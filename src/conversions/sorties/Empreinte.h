#pragma once

#include <QString>

#include <sys/stat.h>

namespace Conversions {

// A source file as its conversion starts: which file it is, its size and when it was last
// written. A file renamed over, truncated or rewritten meanwhile would give a result made of
// two files, or of part of one.
class Empreinte {
public:
    explicit Empreinte(const QString& chemin);
    // Throws Erreur::rien saying that the file changed when it is no longer the file it was.
    // A folder is not followed.
    void verifier() const;

private:
    bool lire(struct stat& st) const;

    QString chemin_;
    bool fichier_ = false;
    dev_t dev_ = 0;
    ino_t ino_ = 0;
    off_t taille_ = 0;
    timespec modifie_{};
};

} // namespace Conversions
