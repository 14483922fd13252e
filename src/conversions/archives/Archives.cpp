#include "conversions/archives/Archives.h"
#include "conversions/Chemins.h"

#include "conversions/archives/ArchiveExtraction.h"
#include "conversions/DossierDeTravail.h"
#include "conversions/Processus.h"
#include "conversions/Sortie.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <system_error>
#include <unistd.h>

namespace Conversions {

namespace {

QString tr(const char* texte) { return QCoreApplication::translate("Conversions", texte); }

// A name without its extension, and its extension; a leading dot starts no extension.
QString sansExtension(const QString& nom)
{
    const qsizetype point = nom.lastIndexOf(QLatin1Char('.'));
    return point > 0 ? nom.left(point) : nom;
}

QString extension(const QString& nom)
{
    const qsizetype point = nom.lastIndexOf(QLatin1Char('.'));
    return point > 0 ? nom.mid(point + 1) : QString();
}

QString baseDeLArchive(const QStringList& chemins)
{
    const QString premier = nomDe(chemins.first());
    const QString base = QFileInfo(chemins.first()).isDir() ? premier : sansExtension(premier);
    if (chemins.size() == 1)
        return base;
    return tr("%1 et %2 autres").arg(base).arg(static_cast<qlonglong>(chemins.size() - 1));
}

void lier(const DossierDeTravail& travail, const QString& chemin)
{
    const QString nom = nomDe(chemin);
    if (::symlink(QFile::encodeName(QDir::cleanPath(chemin)).constData(),
                  QFile::encodeName(travail.fichier(nom)).constData()) == 0)
        return;
    if (errno == EEXIST)
        throw Erreur::rien(tr("Deux éléments portent le nom « %1 » : une archive ne peut pas les contenir tous les deux")
                               .arg(nom));
    throw std::system_error(errno, std::generic_category(), "symlink");
}

// A name zip would take for an option keeps its meaning as a file.
QString argumentDeNom(const QString& chemin)
{
    const QString nom = nomDe(chemin);
    return nom.startsWith(QLatin1Char('-')) ? QStringLiteral("./") + nom : nom;
}

bool ignore(const QString& nom)
{
    return nom == QLatin1String("__MACOSX") || nom == QLatin1String(".DS_Store");
}

} // namespace

QString zipper(const QStringList& chemins)
{
    if (chemins.isEmpty())
        throw Erreur::lecture(QString());
    Sortie sortie(QFileInfo(QDir::cleanPath(chemins.first())).absolutePath(), baseDeLArchive(chemins),
                  QStringLiteral("zip"));
    DossierDeTravail travail(QDir::tempPath(), QStringLiteral("zip-"));
    for (const QString& c : chemins)
        lier(travail, c);

    QStringList arguments{QStringLiteral("-r"), QStringLiteral("-q"), QStringLiteral("-X"), sortie.temporaire()};
    for (const QString& c : chemins)
        arguments << argumentDeNom(c);
    arguments << QStringLiteral("-x") << QStringLiteral("*.DS_Store") << QStringLiteral("*__MACOSX*");
    Processus zip(QStringLiteral("/usr/bin/zip"), arguments, Processus::Flux::neant, travail.chemin());
    if (zip.attendre() != 0)
        throw Erreur::ecriture(sortie.nom());
    return sortie.valider();
}

QString extraire(const QString& archive)
{
    return extraire(archive, limiteDeDeballage(QFileInfo(archive).absolutePath()));
}

QString extraire(const QString& archive, qint64 limite)
{
    const QFileInfo info(archive);
    const QString dossier = info.absolutePath();
    DossierDeTravail travail(dossier, QStringLiteral(".extraction-"));
    deballer(archive, travail.chemin(), limite, info.fileName());

    const QDir dir(travail.chemin());
    QStringList gardes;
    for (const QString& nom : dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                            QDir::Unsorted)) {
        const QFileInfo entree(dir.filePath(nom));
        if (!ignore(nom))
            gardes << nom;
        else if (!(entree.isDir() && !entree.isSymLink() ? QDir(entree.filePath()).removeRecursively()
                                                         : QFile::remove(entree.filePath())))
            throw std::system_error(EIO, std::generic_category(), "remove");
    }

    if (gardes.size() == 1) {
        const QString nom = gardes.first();
        const QFileInfo entree(dir.filePath(nom));
        const bool estDossier = entree.isDir() && !entree.isSymLink();
        Sortie sortie(dossier, sansExtension(nom), extension(nom),
                      estDossier ? Sortie::Nature::dossier : Sortie::Nature::fichier);
        deplacer(entree.filePath(), sortie.temporaire());
        return sortie.valider();
    }
    // The work folder, emptied of what is left out, becomes the result in one rename.
    Sortie sortie(dossier, info.completeBaseName(), QString(), Sortie::Nature::dossier);
    deplacer(travail.chemin(), sortie.temporaire());
    travail.abandonner();
    return sortie.valider();
}

} // namespace Conversions
