#include "conversions/archives/SourceMasquee.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include <archive.h>

namespace Conversions {

struct SourceMasquee::Etat {
    QFile fichier;
    QList<Remplacement> remplacements;
    QByteArray tampon = QByteArray(1 << 16, Qt::Uninitialized);
    qint64 position = 0;
};

namespace {

using Etat = SourceMasquee::Etat;

la_ssize_t lire(archive* a, void* donnees, const void** bloc)
{
    auto* e = static_cast<Etat*>(donnees);
    const qint64 n = e->fichier.seek(e->position) ? e->fichier.read(e->tampon.data(), e->tampon.size()) : -1;
    if (n < 0) {
        archive_set_error(a, EIO, "%s", e->fichier.errorString().toUtf8().constData());
        return ARCHIVE_FATAL;
    }
    for (const Remplacement& r : e->remplacements) {
        const qint64 debut = std::max(r.debut, e->position);
        const qint64 fin = std::min(r.debut + r.octets.size(), e->position + n);
        if (debut < fin)
            std::memcpy(e->tampon.data() + (debut - e->position), r.octets.constData() + (debut - r.debut),
                        size_t(fin - debut));
    }
    e->position += n;
    *bloc = e->tampon.constData();
    return n;
}

la_int64_t chercher(archive*, void* donnees, la_int64_t decalage, int depuis)
{
    auto* e = static_cast<Etat*>(donnees);
    const qint64 base = depuis == SEEK_SET ? 0 : depuis == SEEK_CUR ? e->position : e->fichier.size();
    if (base + decalage < 0)
        return ARCHIVE_FATAL;
    e->position = base + decalage;
    return e->position;
}

la_int64_t sauter(archive*, void* donnees, la_int64_t demande)
{
    auto* e = static_cast<Etat*>(donnees);
    const qint64 saut = std::clamp<qint64>(demande, 0, std::max<qint64>(e->fichier.size() - e->position, 0));
    e->position += saut;
    return saut;
}

} // namespace

SourceMasquee::SourceMasquee(const QString& chemin, QList<Remplacement> remplacements)
    : etat_(std::make_unique<Etat>())
{
    etat_->fichier.setFileName(chemin);
    etat_->remplacements = std::move(remplacements);
}

SourceMasquee::~SourceMasquee() = default;

int SourceMasquee::ouvrir(archive* a)
{
    if (!etat_->fichier.open(QIODevice::ReadOnly)) {
        archive_set_error(a, EIO, "%s", etat_->fichier.errorString().toUtf8().constData());
        return ARCHIVE_FATAL;
    }
    archive_read_set_callback_data(a, etat_.get());
    archive_read_set_read_callback(a, lire);
    archive_read_set_seek_callback(a, chercher);
    archive_read_set_skip_callback(a, sauter);
    return archive_read_open1(a);
}

} // namespace Conversions
