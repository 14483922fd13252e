#include "conversions/archives/Archives.h"
#include "conversions/Chemins.h"

#include "conversions/archives/ArchiveExtraction.h"
#include "conversions/archives/Emballage.h"
#include "conversions/sorties/DossierDeTravail.h"
#include "conversions/sorties/Annulation.h"
#include "conversions/sorties/DossierTenu.h"
#include "conversions/sorties/Sortie.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSet>

#include <algorithm>
#include <optional>
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
    const QString base = estDossier(chemins.first()) ? premier : sansExtension(premier);
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
                tr("Deux éléments portent le nom « %1 » : une archive ne peut pas les contenir tous les deux")
                    .arg(lisible(nom)));
        vus.insert(nom);
    }
}

bool ignore(const QString& nom)
{
    return nom == QLatin1String("__MACOSX") || nom == QLatin1String(".DS_Store");
}

// The hidden work folder beside the archive, in its held folder; a folder we may not write
// into names what would have been made there.
DossierDeTravail dossierDExtraction(const QString& dossier, std::shared_ptr<const DossierTenu> ici,
                                    const QString& base)
{
    try {
        return DossierDeTravail(dossier, std::move(ici), QStringLiteral(".extraction-"));
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

// What was unpacked into `travail` goes beside the archive in `dossier`: the one item under
// its own name, or the work folder itself under the archive's base name.
QString livrer(DossierDeTravail& travail, const DossierTenu& tenu, const QString& dossier, const QString& base)
{
    const QString vue = tenu.vue();
    const std::optional<QStringList> noms = nomsDans(vue);
    if (!noms || !tenu.enPlace())
        throw Erreur::ecriture(nomDe(dossier));
    QStringList gardes;
    for (const QString& nom : *noms) {
        if (!ignore(nom))
            gardes << nom;
        else if (!tenu.supprimer(nom))
            throw std::system_error(EIO, std::generic_category(), "remove");
    }

    if (gardes.size() == 1) {
        const QString nom = gardes.first();
        const QString entree = vue + QLatin1Char('/') + nom;
        struct stat st;
        const bool unDossier = ::lstat(local(entree).constData(), &st) == 0 && S_ISDIR(st.st_mode);
        Sortie sortie(dossier, sansExtension(nom), extension(nom),
                      unDossier ? Sortie::Nature::dossier : Sortie::Nature::fichier);
        deplacer(entree, sortie.temporaire());
        return sortie.valider();
    }
    // The work folder, emptied of what is left out, becomes the result in one rename.
    Sortie sortie(dossier, base, QString(), Sortie::Nature::dossier);
    if (::chmod(local(vue).constData(), modeDeDossier()) != 0)
        throw std::system_error(errno, std::generic_category(), "chmod");
    deplacer(travail.chemin(), sortie.temporaire());
    travail.abandonner();
    return sortie.valider();
}

// Without a bound given, most of the free space of the archive's disk.
QString extraireAvec(const QString& archive, std::optional<qint64> limite)
{
    const QFileInfo info(archive);
    const QString dossier = info.absolutePath();
    // The archive's folder, held from the start: moved or replaced at any moment from here on,
    // it is what failed, by its name, and it is never made again where it was.
    const std::shared_ptr<const DossierTenu> ici = DossierTenu::tenir(dossier);
    if (!ici)
        throw Erreur::ecriture(nomDe(dossier));
    DossierDeTravail travail = dossierDExtraction(dossier, ici, info.completeBaseName());
    try {
        // Held from here to the end: what was unpacked is reached through it, wherever it went.
        const std::shared_ptr<const DossierTenu> tenu = DossierTenu::tenir(travail.chemin());
        if (!tenu)
            throw Erreur::ecriture(nomDe(dossier));
        // Read through the held folder: the archive moved with it is still the one read.
        deballer(ici->vue() + QLatin1Char('/') + info.fileName(), travail.chemin(),
                 limite.value_or(limiteDeDeballage(ici->vue())), info.fileName());
        return livrer(travail, *tenu, dossier, info.completeBaseName());
    } catch (const Annulee&) {
        throw;
    } catch (const std::exception&) {
        // The folder went away meanwhile: it is what failed, not the archive.
        if (!ici->enPlace())
            throw Erreur::ecriture(nomDe(dossier));
        throw;
    }
}

} // namespace

QString zipper(const QStringList& chemins)
{
    if (chemins.isEmpty())
        throw Erreur::lecture(QString());
    // By the path's text alone: its bytes need not be UTF-8, which Qt's file calls lose.
    const QString premier = absolu(chemins.first());
    Sortie sortie(premier.left(std::max<qsizetype>(premier.lastIndexOf(QLatin1Char('/')), 1)), baseDeLArchive(chemins),
                  QStringLiteral("zip"));
    refuserLesDoublons(chemins);
    emballer(chemins, sortie.temporaire(), sortie.nom());
    return sortie.valider();
}

QString extraire(const QString& archive) { return extraireAvec(archive, std::nullopt); }

QString extraire(const QString& archive, qint64 limite) { return extraireAvec(archive, limite); }

} // namespace Conversions
