// The sample-exact copy of a passage, through libsndfile.
#include "fenetres/retouches/Retouches.h"

#include "conversions/Chemins.h"
#include "conversions/Erreur.h"
#include "conversions/Journaux.h"

#include <QFileInfo>
#include <cmath>
#include <memory>
#include <sndfile.h>
#include <vector>

namespace Retouches {

namespace {

struct Fermer {
    void operator()(SNDFILE* f) const { sf_close(f); }
};
using Fichier = std::unique_ptr<SNDFILE, Fermer>;

[[noreturn]] void echec(SNDFILE* f, Conversions::Erreur erreur)
{
    const QString texte = QString::fromUtf8(sf_strerror(f));
    qCWarning(Conversions::journalMedia).noquote() << QStringLiteral("libsndfile : ") + texte;
    if (erreur.cas() == Conversions::Erreur::Cas::ecriture)
        Conversions::signalerUnDisquePlein(QStringLiteral("libsndfile"), texte);
    throw erreur;
}

// Reads and writes in the file's own kind of sample: integers for PCM and FLAC, so
// that every sample comes back unchanged; floats and doubles for float files.
template <typename T>
void copier(SNDFILE* lecture, SNDFILE* ecriture, sf_count_t reste, int canaux, const QString& source,
            const QString& destination, sf_count_t (*lire)(SNDFILE*, T*, sf_count_t),
            sf_count_t (*ecrire)(SNDFILE*, const T*, sf_count_t))
{
    // 65 536 frames, fewer when there are many channels: memory stays small and constant.
    const sf_count_t tampon = std::max<sf_count_t>(1024, (65536 * 8) / std::max(canaux, 8));
    std::vector<T> echantillons(static_cast<size_t>(tampon) * canaux);
    while (reste > 0) {
        const sf_count_t lus = lire(lecture, echantillons.data(), std::min(reste, tampon));
        if (lus < 0)
            echec(lecture, Conversions::Erreur::lecture(Conversions::nomDe(source)));
        if (lus == 0)
            break;
        if (ecrire(ecriture, echantillons.data(), lus) != lus)
            echec(ecriture, Conversions::Erreur::ecriture(Conversions::nomDe(destination)));
        reste -= lus;
    }
}

} // namespace

void couperEchantillons(const QString& source, double de, double a, const QString& destination)
{
    SF_INFO info{};
    Fichier lecture(sf_open(Conversions::local(source).constData(), SFM_READ, &info));
    if (!lecture)
        echec(nullptr, Conversions::Erreur::lecture(Conversions::nomDe(source)));
    const double r = info.samplerate;
    const sf_count_t premiere = std::min<sf_count_t>(static_cast<sf_count_t>(std::floor(de * r)), info.frames);
    const sf_count_t derniere = std::min<sf_count_t>(info.frames, static_cast<sf_count_t>(std::floor(a * r)));

    SF_INFO sortie{};
    sortie.samplerate = info.samplerate;
    sortie.channels = info.channels;
    sortie.format = info.format;
    Fichier ecriture(sf_open(Conversions::local(destination).constData(), SFM_WRITE, &sortie));
    if (!ecriture)
        echec(nullptr, Conversions::Erreur::ecriture(Conversions::nomDe(destination)));
    if (sf_seek(lecture.get(), premiere, SEEK_SET) < 0)
        echec(lecture.get(), Conversions::Erreur::lecture(Conversions::nomDe(source)));

    const sf_count_t reste = derniere - premiere;
    switch (info.format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_FLOAT:
        copier<float>(lecture.get(), ecriture.get(), reste, info.channels, source, destination, sf_readf_float, sf_writef_float);
        break;
    case SF_FORMAT_DOUBLE:
        copier<double>(lecture.get(), ecriture.get(), reste, info.channels, source, destination, sf_readf_double, sf_writef_double);
        break;
    default:
        copier<int>(lecture.get(), ecriture.get(), reste, info.channels, source, destination, sf_readf_int, sf_writef_int);
    }
    // Closing completes the file's header; a failure there is a failed write.
    if (sf_close(ecriture.release()) != 0)
        throw Conversions::Erreur::ecriture(Conversions::nomDe(destination));
}

} // namespace Retouches
