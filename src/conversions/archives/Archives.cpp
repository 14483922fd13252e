#include "conversions/archives/Archives.h"
#include "conversions/Chemins.h"

#include "conversions/archives/ArchiveExtraction.h"
#include "conversions/archives/Emballage.h"
#include "conversions/sorties/DossierDeTravail.h"
#include "conversions/sorties/Sortie.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSet>

#include <cerrno>
#include <sys/stat.h>
#include <system_error>

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
    return nomDeLot(base, chemins.size() - 1);
}

// Two items of the same name cannot both sit at the archive's top level.
void refuserLesDoublons(const QStringList& chemins)
{
    QSet<QString> vus;
    for (const QString& c : chemins) {
        const QString nom = nomDe(c);
        if (vus.contains(nom))
            throw Erreur::rien(
                tr("Deux éléments portent le nom « %1 » : une archive ne peut pas les contenir tous les deux").arg(nom));
        vus.insert(nom);
    }
}

bool ignore(const QString& nom)
{
    return nom == QLatin1String("__MACOSX") || nom == QLatin1String(".DS_Store");
}

// The hidden work folder beside the archive; a folder we may not write into names what
// would have been made there.
DossierDeTravail dossierDExtraction(const QString& dossier, const QString& base)
{
    try {
        return DossierDeTravail(dossier, QStringLiteral(".extraction-"));
    } catch (const std::system_error&) {
        throw Erreur::ecriture(base);
    }
}

// The mode of a folder made as usual: the work folder was made private.
mode_t modeDeDossier()
{
    QFile etat(QStringLiteral("/proc/self/status"));
    if (etat.open(QIODevice::ReadOnly))
        for (const QByteArray& ligne : etat.readAll().split('\n'))
            if (ligne.startsWith("Umask:"))
                return 0777 & ~static_cast<mode_t>(ligne.mid(6).trimmed().toUInt(nullptr, 8));
    return 0755;
}

} // namespace

QString zipper(const QStringList& chemins)
{
    if (chemins.isEmpty())
        throw Erreur::lecture(QString());
    Sortie sortie(QFileInfo(QDir::cleanPath(chemins.first())).absolutePath(), baseDeLArchive(chemins),
                  QStringLiteral("zip"));
    refuserLesDoublons(chemins);
    emballer(chemins, sortie.temporaire(), sortie.nom());
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
    DossierDeTravail travail = dossierDExtraction(dossier, info.completeBaseName());
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
    if (::chmod(local(travail.chemin()).constData(), modeDeDossier()) != 0)
        throw std::system_error(errno, std::generic_category(), "chmod");
    deplacer(travail.chemin(), sortie.temporaire());
    travail.abandonner();
    return sortie.valider();
}

} // namespace Conversions
