#include "archives_fabrique.h"

#include <QFile>
#include <archive.h>
#include <archive_entry.h>
#include <gtest/gtest.h>

namespace Fabrique {

void ecrireZip(const QString& chemin, const std::vector<Entree>& entrees)
{
    archive* a = archive_write_new();
    archive_write_set_format_zip(a);
    archive_write_set_options(a, "zip:hdrcharset=UTF-8");
    ASSERT_EQ(archive_write_open_filename(a, QFile::encodeName(chemin).constData()), ARCHIVE_OK);
    const QByteArray zeros(1 << 20, '\0');
    for (const Entree& e : entrees) {
        archive_entry* en = archive_entry_new();
        archive_entry_set_pathname_utf8(en, e.nom.toUtf8().constData());
        archive_entry_set_mtime(en, 1700000000, 0);
        if (e.dossier) {
            archive_entry_set_filetype(en, AE_IFDIR);
            archive_entry_set_perm(en, 0755);
        } else if (!e.lien.isEmpty()) {
            archive_entry_set_filetype(en, AE_IFLNK);
            archive_entry_set_perm(en, 0777);
            archive_entry_set_symlink_utf8(en, e.lien.toUtf8().constData());
        } else {
            archive_entry_set_filetype(en, AE_IFREG);
            archive_entry_set_perm(en, 0644);
            archive_entry_set_size(en, e.zeros > 0 ? e.zeros : e.contenu.size());
        }
        EXPECT_EQ(archive_write_header(a, en), ARCHIVE_OK) << archive_error_string(a);
        if (e.zeros > 0)
            for (qint64 reste = e.zeros; reste > 0; reste -= zeros.size())
                archive_write_data(a, zeros.constData(), static_cast<size_t>(std::min<qint64>(reste, zeros.size())));
        else if (!e.contenu.isEmpty())
            archive_write_data(a, e.contenu.constData(), static_cast<size_t>(e.contenu.size()));
        archive_entry_free(en);
    }
    EXPECT_EQ(archive_write_close(a), ARCHIVE_OK);
    archive_write_free(a);
}

} // namespace Fabrique
