#include "conversions/archives/FluxCourts.h"

#include "conversions/archives/ChampsIllisibles.h"
#include "conversions/archives/RepertoireCentral.h"
#include "conversions/Journaux.h"

#include <QFile>

#include <algorithm>
#include <optional>

#include <zlib.h>

namespace Conversions {

namespace {

constexpr quint32 deflate = 8;
constexpr qint64 champTailleLocale = 18;
constexpr qint64 champTailleCentrale = 20;

// The bytes the deflate stream at the file's position takes, read up to `au plus`; nothing
// when it does not end there or is damaged.
std::optional<quint64> longueurDuFlux(QFile& f, quint64 auPlus)
{
    z_stream z{};
    if (inflateInit2(&z, -MAX_WBITS) != Z_OK)
        return std::nullopt;
    QByteArray sortie(1 << 16, Qt::Uninitialized);
    int r = Z_OK;
    while (auPlus > 0 && r == Z_OK) {
        QByteArray bloc = f.read(qint64(std::min<quint64>(auPlus, 1 << 16)));
        if (bloc.isEmpty())
            break;
        auPlus -= quint64(bloc.size());
        z.next_in = reinterpret_cast<Bytef*>(bloc.data());
        z.avail_in = uInt(bloc.size());
        do {
            z.next_out = reinterpret_cast<Bytef*>(sortie.data());
            z.avail_out = uInt(sortie.size());
            r = inflate(&z, Z_NO_FLUSH);
        } while (r == Z_OK && (z.avail_in > 0 || z.avail_out == 0));
        if (r == Z_BUF_ERROR)  // the block is used up: the next one goes on
            r = Z_OK;
    }
    const quint64 lus = z.total_in;
    inflateEnd(&z);
    return r == Z_STREAM_END ? std::optional(lus) : std::nullopt;
}

// Four bytes, least significant first, as the format stores sizes.
QByteArray enOctets(quint64 v)
{
    QByteArray o(4, Qt::Uninitialized);
    for (int i = 0; i < 4; ++i)
        o[i] = char((v >> (8 * i)) & 0xff);
    return o;
}

} // namespace

QList<Remplacement> fluxCourts(const QString& archive)
{
    QList<Remplacement> liste;
    QFile f(archive);
    if (!f.open(QIODevice::ReadOnly))
        return liste;
    for (const EntreeCentrale& e : entreesCentrales(f)) {
        QByteArray champs;
        const std::optional<Plage> locaux = champsLocaux(f, e.locale, champs);
        // Zip64 sizes, and sizes given after the data (a local field of zero), stay as they are.
        if (e.methode != deflate || e.compresse == 0xffffffff || !locaux)
            continue;
        if (!f.seek(qint64(e.locale) + champTailleLocale) || f.read(4) != enOctets(e.compresse)
            || !f.seek(locaux->debut + locaux->taille))
            continue;
        const std::optional<quint64> reelle = longueurDuFlux(f, e.compresse);
        if (!reelle || *reelle >= e.compresse)
            continue;
        qCWarning(journalArchives).noquote()
            << QStringLiteral("données de %1 octets suivies de %2 autres, passés comme les lisent les autres outils")
                   .arg(*reelle)
                   .arg(e.compresse - *reelle);
        liste.append({qint64(e.locale) + champTailleLocale, enOctets(*reelle)});
        liste.append({e.enregistrement + champTailleCentrale, enOctets(*reelle)});
    }
    return liste;
}

} // namespace Conversions
