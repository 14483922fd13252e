#include "fenetres/retouches/OggOpus.h"

#include <QByteArray>
#include <QIODevice>
#include <QtEndian>
#include <algorithm>
#include <array>
#include <limits>
#include <optional>
#include <stdexcept>
#include <string>

namespace OggOpus {

namespace {

constexpr qsizetype tailleEntete = 27;

// The page checksum: CRC-32 of polynomial 0x04C11DB7, unreflected, from 0.
quint32 somme(const QByteArray& page)
{
    static const std::array<quint32, 256> table = [] {
        std::array<quint32, 256> t{};
        for (quint32 i = 0; i < 256; ++i) {
            quint32 r = i << 24;
            for (int j = 0; j < 8; ++j)
                r = (r & 0x80000000u) ? (r << 1) ^ 0x04C11DB7u : r << 1;
            t[i] = r;
        }
        return t;
    }();
    quint32 c = 0;
    for (const char b : page)
        c = (c << 8) ^ table[((c >> 24) ^ static_cast<quint8>(b)) & 0xFF];
    return c;
}

// The samples (48 kHz) of an Opus packet, from its table-of-contents byte and, for a packet
// of many frames, the next one.
qint64 echantillons(const QByteArray& debut)
{
    if (debut.isEmpty())
        return 0;
    const int toc = static_cast<quint8>(debut[0]);
    const int config = toc >> 3;
    int trame;
    if (config < 12)
        trame = std::array{480, 960, 1920, 2880}[config % 4];
    else if (config < 16)
        trame = std::array{480, 960}[config % 2];
    else
        trame = std::array{120, 240, 480, 960}[config % 4];
    int trames = 1;
    if ((toc & 3) == 1 || (toc & 3) == 2)
        trames = 2;
    else if ((toc & 3) == 3)
        trames = debut.size() > 1 ? static_cast<quint8>(debut[1]) & 0x3F : 0;
    return qint64(trames) * trame;
}

[[noreturn]] void refuser(const char* quoi) { throw std::runtime_error(std::string("Ogg Opus : ") + quoi); }

} // namespace

void rogner(QIODevice& f, qint64 avance, qint64 longueur)
{
    if (avance < 0 || avance > 0xFFFF || longueur < 0 || longueur > std::numeric_limits<qint64>::max() - avance)
        refuser("passage hors des bornes");
    std::optional<quint32> serie;
    qint64 paquet = 0;            // packets of the stream ended so far: the head, the tags, then sound
    QByteArray debut;             // the first two bytes of the sound packet being read
    qint64 faits = 0;             // samples of the sound packets ended so far
    std::optional<qint64> origine;  // the granule position of the first sound sample, as written
    qint64 dernier = 0;           // the last granule position written
    for (qint64 position = 0; position < f.size();) {
        if (!f.seek(position))
            refuser("page illisible");
        QByteArray page = f.read(tailleEntete);
        if (page.size() < tailleEntete || !page.startsWith("OggS") || page[4] != 0)
            refuser("page illisible");
        const int segments = static_cast<quint8>(page[26]);
        page += f.read(segments);
        if (page.size() != tailleEntete + segments)
            refuser("page tronquée");
        qsizetype taille = 0;
        for (int i = 0; i < segments; ++i)
            taille += static_cast<quint8>(page[tailleEntete + i]);
        page += f.read(taille);
        const qsizetype corps = tailleEntete + segments;
        if (page.size() != corps + taille)
            refuser("page tronquée");
        const qint64 suivante = position + page.size();
        const quint32 s = qFromLittleEndian<quint32>(page.constData() + 14);
        if (!serie) {
            if (!(page[5] & 2) || !page.mid(corps).startsWith("OpusHead") || taille < 19)
                refuser("pas d’en-tête Opus");
            serie = s;
            qToLittleEndian<quint16>(static_cast<quint16>(avance), page.data() + corps + 10);
        } else if (s != *serie) {
            position = suivante;
            continue;
        }
        // The packets that end on this page, and the start of those that begin here.
        bool sonFini = false;
        qsizetype o = corps;
        for (int i = 0; i < segments; ++i) {
            const int l = static_cast<quint8>(page[tailleEntete + i]);
            if (paquet >= 2 && debut.size() < 2)
                debut += page.mid(o, std::min<qsizetype>(l, 2 - debut.size()));
            o += l;
            if (l == 255)
                continue;
            if (paquet >= 2) {
                faits += echantillons(debut);
                sonFini = true;
            }
            ++paquet;
            debut.clear();
        }
        qint64 granule = qFromLittleEndian<qint64>(page.constData() + 6);
        if (granule < -1)
            refuser("position négative");
        if (sonFini && granule != -1) {
            if (!origine)
                origine = granule - faits;
            if (*origine < 0 || granule < *origine)
                refuser("positions incohérentes");
            granule -= *origine;
            // The end of the stream: the last packet plays up to the passage's end only.
            if (page[5] & 4)
                granule = std::min(granule, avance + longueur);
            granule = std::max(granule, dernier);
            dernier = granule;
            qToLittleEndian<qint64>(granule, page.data() + 6);
        }
        qToLittleEndian<quint32>(0, page.data() + 22);
        qToLittleEndian<quint32>(somme(page), page.data() + 22);
        if (!f.seek(position) || f.write(page) != page.size())
            refuser("écriture impossible");
        position = suivante;
    }
    if (!origine)
        refuser("pas de son");
}

} // namespace OggOpus
