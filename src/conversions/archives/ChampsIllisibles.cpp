#include "conversions/archives/ChampsIllisibles.h"
#include "conversions/archives/RepertoireCentral.h"

#include <QFile>

namespace Conversions {

namespace {

constexpr qint64 enteteLocal = 30;

quint32 lire16(const uchar* p) { return p[0] | (p[1] << 8); }

// Fields are an id and a size, each on two bytes, then that many bytes; fewer than four
// bytes left after them are padding, which every reader ignores. Fewer than four bytes in
// all are padding too, but the library takes only zeros as such.
bool lisibles(const QByteArray& champs)
{
    if (champs.size() < 4)
        return champs.count('\0') == champs.size();
    const auto* p = reinterpret_cast<const uchar*>(champs.constData());
    qsizetype i = 0;
    while (champs.size() - i >= 4) {
        i += 4 + lire16(p + i + 2);
        if (i > champs.size())
            return false;
    }
    return true;
}

} // namespace

std::optional<Plage> champsLocaux(QFile& f, quint64 position, QByteArray& champs)
{
    if (position > quint64(f.size()) || !f.seek(qint64(position)))
        return std::nullopt;
    const QByteArray entete = f.read(enteteLocal);
    const auto* p = reinterpret_cast<const uchar*>(entete.constData());
    if (entete.size() < enteteLocal || !entete.startsWith("PK\x03\x04"))
        return std::nullopt;
    const Plage plage{qint64(position) + enteteLocal + lire16(p + 26), lire16(p + 28)};
    if (!f.seek(plage.debut))
        return std::nullopt;
    champs = f.read(plage.taille);
    return plage;
}

QList<Plage> champsIllisibles(const QString& archive)
{
    QList<Plage> plages;
    QFile f(archive);
    if (!f.open(QIODevice::ReadOnly))
        return plages;
    for (const EntreeCentrale& e : entreesCentrales(f)) {
        QByteArray champs;
        const std::optional<Plage> locaux = champsLocaux(f, e.locale, champs);
        if (locaux && !lisibles(champs))
            plages.append(*locaux);
        if (f.seek(e.champs.debut) && !lisibles(f.read(e.champs.taille)))
            plages.append(e.champs);
    }
    return plages;
}

} // namespace Conversions
