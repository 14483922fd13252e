#include "fenetres/retouches/MontageMp4.h"

#include "conversions/Erreur.h"
#include "fenetres/retouches/Paquets.h"

#include <QFile>
#include <QFileInfo>
#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <optional>

namespace MontageMp4 {

QList<double> images(const QString& source) { return Paquets::lister(source, QStringLiteral("0:v:0")).temps; }

Bornes aligner(const QList<double>& images, double de, double a)
{
    if (images.isEmpty())
        return {de, a};
    // The frame shown at `de` is the last one that starts at or before it.
    const auto apres = std::upper_bound(images.begin(), images.end(), de + 1e-9);
    const double debut = apres == images.begin() ? images.first() : *(apres - 1);
    // The first frame that starts at or after `a` ends the passage; past the last frame,
    // the last one lasts as long as the one before it.
    const auto fin = std::lower_bound(images.begin(), images.end(), a - 1e-9);
    double arret = a;
    if (fin != images.end())
        arret = *fin;
    else if (images.size() > 1)
        arret = std::min(a, images.last() + (images.last() - images[images.size() - 2]));
    return {debut, std::max(arret, debut)};
}

namespace {

struct Boite {
    qsizetype debut;   // offset of the box in the buffer
    qsizetype entete;  // size of its header
    qsizetype taille;
    QByteArray type;
};

std::optional<Boite> lire(const QByteArray& d, qsizetype o, qsizetype fin)
{
    if (o + 8 > fin)
        return std::nullopt;
    qsizetype taille = qFromBigEndian<quint32>(d.constData() + o);
    qsizetype entete = 8;
    if (taille == 1) {
        if (o + 16 > fin)
            return std::nullopt;
        taille = qsizetype(qFromBigEndian<quint64>(d.constData() + o + 8));
        entete = 16;
    } else if (taille == 0) {
        taille = fin - o;
    }
    if (taille < entete || o + taille > fin)
        return std::nullopt;
    return Boite{o, entete, taille, d.mid(o + 4, 4)};
}

QList<Boite> enfants(const QByteArray& d, qsizetype debut, qsizetype fin)
{
    QList<Boite> l;
    for (qsizetype o = debut; o < fin;) {
        const auto b = lire(d, o, fin);
        if (!b)
            break;
        l << *b;
        o += b->taille;
    }
    return l;
}

const Boite* trouver(const QList<Boite>& l, const char* type)
{
    for (const Boite& b : l)
        if (b.type == type)
            return &b;
    return nullptr;
}

// A duration field of 32 or 64 bits by the box's version.
void ecrireDuree(QByteArray& d, qsizetype o, bool long_, quint64 v)
{
    if (long_)
        qToBigEndian<quint64>(v, d.data() + o);
    else
        qToBigEndian<quint32>(quint32(std::min<quint64>(v, 0xFFFFFFFFu)), d.data() + o);
}

[[noreturn]] void illisible(const QString& chemin) { throw Conversions::Erreur::ecriture(QFileInfo(chemin).fileName()); }

} // namespace

void borner(const QString& chemin, double duree)
{
    QFile f(chemin);
    if (!f.open(QIODevice::ReadWrite))
        illisible(chemin);
    // The movie box sits among the top-level boxes; only it is read and written back.
    qsizetype position = 0;
    std::optional<Boite> moov;
    QByteArray moovOctets;
    while (position < f.size()) {
        f.seek(position);
        const QByteArray tete = f.read(16);
        const auto b = lire(tete + QByteArray(16 - std::min<qsizetype>(16, tete.size()), '\0'), 0, f.size() - position);
        if (!b)
            break;
        if (b->type == "moov") {
            f.seek(position);
            moovOctets = f.read(b->taille);
            moov = Boite{0, b->entete, b->taille, b->type};
            break;
        }
        position += b->taille;
    }
    if (!moov || moovOctets.size() != moov->taille)
        illisible(chemin);
    QByteArray& d = moovOctets;
    const QList<Boite> pistes = enfants(d, moov->entete, moov->taille);
    const Boite* mvhd = trouver(pistes, "mvhd");
    if (!mvhd || mvhd->taille < mvhd->entete + 32)
        illisible(chemin);
    const qsizetype m = mvhd->debut + mvhd->entete;
    const bool mvhdLong = d[m] == 1;
    const quint32 echelle = qFromBigEndian<quint32>(d.constData() + m + (mvhdLong ? 20 : 12));
    if (echelle == 0)
        illisible(chemin);
    // Rounded down: rounded up, the movie's coarse units (often milliseconds) would show the
    // start of the frame after the passage. The epsilon keeps whole units whole.
    const quint64 total = quint64(std::floor(duree * echelle + 1e-6));
    ecrireDuree(d, m + (mvhdLong ? 24 : 16), mvhdLong, total);

    int editees = 0;
    for (const Boite& trak : pistes) {
        if (trak.type != "trak")
            continue;
        const QList<Boite> parties = enfants(d, trak.debut + trak.entete, trak.debut + trak.taille);
        if (const Boite* tkhd = trouver(parties, "tkhd")) {
            const qsizetype t = tkhd->debut + tkhd->entete;
            const bool long_ = d[t] == 1;
            ecrireDuree(d, t + (long_ ? 28 : 20), long_, total);
        }
        const Boite* edts = trouver(parties, "edts");
        const Boite* elst = edts ? trouver(enfants(d, edts->debut + edts->entete, edts->debut + edts->taille), "elst")
                                 : nullptr;
        if (!elst)
            illisible(chemin);
        const qsizetype e = elst->debut + elst->entete;
        const bool long_ = d[e] == 1;
        const quint32 n = qFromBigEndian<quint32>(d.constData() + e + 4);
        const qsizetype pas = long_ ? 20 : 12;
        if (elst->taille < elst->entete + 8 + qsizetype(n) * pas)
            illisible(chemin);
        // An empty edit (media time −1) delays the track; the first real edit plays the rest.
        quint64 vide = 0;
        bool fait = false;
        for (quint32 i = 0; i < n && !fait; ++i) {
            const qsizetype o = e + 8 + qsizetype(i) * pas;
            const qint64 temps = long_ ? qFromBigEndian<qint64>(d.constData() + o + 8)
                                       : qFromBigEndian<qint32>(d.constData() + o + 4);
            const quint64 longueur = long_ ? qFromBigEndian<quint64>(d.constData() + o)
                                           : qFromBigEndian<quint32>(d.constData() + o);
            if (temps == -1) {
                vide += longueur;
                continue;
            }
            ecrireDuree(d, o, long_, total > vide ? total - vide : 0);
            fait = true;
        }
        if (!fait)
            illisible(chemin);
        ++editees;
    }
    if (editees == 0)
        illisible(chemin);
    f.seek(position);
    if (f.write(d) != d.size() || !f.flush())
        illisible(chemin);
}

} // namespace MontageMp4
