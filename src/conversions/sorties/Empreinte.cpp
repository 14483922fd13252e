#include "conversions/sorties/Empreinte.h"

#include "conversions/Chemins.h"
#include "conversions/Erreur.h"

#include <QCoreApplication>

#include <sys/stat.h>

namespace Conversions {

Empreinte::Empreinte(const QString& chemin) : chemin_(chemin)
{
    struct stat st;
    fichier_ = lire(st) && S_ISREG(st.st_mode);
    if (!fichier_)
        return;
    dev_ = st.st_dev;
    ino_ = st.st_ino;
    taille_ = st.st_size;
    modifie_ = st.st_mtim;
}

bool Empreinte::lire(struct stat& st) const
{
    return ::stat(local(chemin_).constData(), &st) == 0;
}

void Empreinte::verifier() const
{
    if (!fichier_)
        return;
    struct stat st;
    if (lire(st) && st.st_dev == dev_ && st.st_ino == ino_ && st.st_size == taille_
        && st.st_mtim.tv_sec == modifie_.tv_sec && st.st_mtim.tv_nsec == modifie_.tv_nsec)
        return;
    throw Erreur::rien(QCoreApplication::translate("Conversions", "« %1 » a changé pendant sa conversion : rien n’a été créé")
                           .arg(nomDe(chemin_)));
}

} // namespace Conversions
