#include "conversions/documents/Zip.h"

#include "conversions/Erreur.h"
#include "conversions/Journaux.h"

#include <QFile>
#include <QFileInfo>

#include <archive.h>
#include <archive_entry.h>

#include <algorithm>
#include <memory>

namespace Conversions {

namespace {

struct Liberer {
    void operator()(archive* a) const { archive_free(a); }
};
using Archive = std::unique_ptr<archive, Liberer>;

void noter(archive* a, const QString& contexte)
{
    qCWarning(journalDocuments).noquote()
        << QStringLiteral("libarchive : ") + contexte + QStringLiteral(" : ") + QString::fromUtf8(archive_error_string(a));
}

la_ssize_t ajouter(archive*, void* tampon, const void* octets, size_t taille)
{
    static_cast<QByteArray*>(tampon)->append(static_cast<const char*>(octets),
                                             static_cast<qsizetype>(taille));
    return static_cast<la_ssize_t>(taille);
}

} // namespace

QByteArray ecrireZip(const QList<std::pair<QString, QByteArray>>& entrees, const QString& nom)
{
    QByteArray sortie;
    Archive a(archive_write_new());
    if (!a || archive_write_set_format_zip(a.get()) != ARCHIVE_OK
        || archive_write_set_options(a.get(), "zip:compression=deflate") != ARCHIVE_OK
        || archive_write_set_bytes_in_last_block(a.get(), 1) != ARCHIVE_OK
        || archive_write_open(a.get(), &sortie, nullptr, ajouter, nullptr) != ARCHIVE_OK) {
        if (a)
            noter(a.get(), QStringLiteral("zip en mémoire"));
        throw Erreur::ecriture(nom);
    }
    for (const auto& [chemin, donnees] : entrees) {
        std::unique_ptr<archive_entry, void (*)(archive_entry*)> e(archive_entry_new(), archive_entry_free);
        archive_entry_set_pathname_utf8(e.get(), chemin.toUtf8().constData());
        archive_entry_set_filetype(e.get(), AE_IFREG);
        archive_entry_set_perm(e.get(), 0644);
        archive_entry_set_size(e.get(), donnees.size());
        archive_entry_set_mtime(e.get(), 315532800, 0);  // 1980, the zip epoch: same input, same bytes
        if (archive_write_header(a.get(), e.get()) != ARCHIVE_OK
            || archive_write_data(a.get(), donnees.constData(), static_cast<size_t>(donnees.size()))
                   != static_cast<la_ssize_t>(donnees.size())) {
            noter(a.get(), chemin);
            throw Erreur::ecriture(nom);
        }
    }
    if (archive_write_close(a.get()) != ARCHIVE_OK) {
        noter(a.get(), QStringLiteral("zip en mémoire"));
        throw Erreur::ecriture(nom);
    }
    return sortie;
}

QHash<QString, QByteArray> lireZip(const QString& chemin, const QSet<QString>& voulues,
                                   const QStringList& dossiers, qint64 plafond)
{
    const auto voulue = [&](const QString& entree) {
        return voulues.contains(entree)
            || std::any_of(dossiers.begin(), dossiers.end(), [&](const QString& d) { return entree.startsWith(d); });
    };
    const QString nom = QFileInfo(chemin).fileName();
    Archive a(archive_read_new());
    if (!a || archive_read_support_format_zip(a.get()) != ARCHIVE_OK
        || archive_read_open_filename(a.get(), QFile::encodeName(chemin).constData(), 65536) != ARCHIVE_OK) {
        if (a)
            noter(a.get(), nom);
        throw Erreur::lecture(nom);
    }
    QHash<QString, QByteArray> trouvees;
    qint64 total = 0;
    archive_entry* e = nullptr;
    int r = ARCHIVE_OK;
    while ((r = archive_read_next_header(a.get(), &e)) == ARCHIVE_OK || r == ARCHIVE_WARN) {
        const char* brut = archive_entry_pathname_utf8(e);
        const QString entree = brut ? QString::fromUtf8(brut) : QString();
        if (!voulue(entree) || trouvees.contains(entree))
            continue;
        QByteArray donnees;
        char bloc[65536];
        la_ssize_t lu = 0;
        while ((lu = archive_read_data(a.get(), bloc, sizeof bloc)) > 0) {
            total += lu;
            if (donnees.size() + lu > plafond || total > 2 * plafond) {
                qCWarning(journalDocuments).noquote()
                    << nom + QStringLiteral(" : ") + entree + QStringLiteral(" dépasse la taille permise");
                throw Erreur::lecture(nom);
            }
            donnees.append(bloc, static_cast<qsizetype>(lu));
        }
        if (lu < 0) {
            noter(a.get(), nom);
            throw Erreur::lecture(nom);
        }
        trouvees.insert(entree, donnees);
        if (dossiers.isEmpty() && trouvees.size() == voulues.size())
            break;
    }
    if (r != ARCHIVE_OK && r != ARCHIVE_EOF) {
        noter(a.get(), nom);
        throw Erreur::lecture(nom);
    }
    return trouvees;
}

} // namespace Conversions
