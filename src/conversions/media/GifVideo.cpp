// The animated GIF of a video.

// Before Qt: glib's headers use a word that Qt turns into a macro.
#include <vips/vips8>

#include "conversions/media/Gif.h"

#include "conversions/media/GifPile.h"
#include "conversions/Chemins.h"
#include "conversions/Journaux.h"
#include "conversions/sorties/Annulation.h"
#include "conversions/sorties/Sortie.h"
#include "conversions/images/Vips.h"
#include "plateforme/media/Echec.h"
#include "plateforme/media/Echantillonneur.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <thread>
#include <vector>

namespace Conversions {

namespace {

constexpr double budget = 300.0;       // frames for the whole video
constexpr double cadenceMax = 12.0;    // frames per second
constexpr int cote = 480;
constexpr double partEchantillons = 0.55;

void journaliser(const char* bibliotheque, const char* quoi, const std::exception& e)
{
    qCWarning(journalMedia).noquote() << QLatin1String(bibliotheque) + QStringLiteral(" : gif, ") + QString::fromUtf8(quoi)
                                             + QStringLiteral(" : ") + QString::fromUtf8(e.what());
}

// Takes the n frames i / cadence into the pile; runs on its own thread.
void echantillonner(Media::Echantillonneur& video, PileGif& pile, int n, double cadence, const Progression& progression)
{
    const double tolerance = 0.5 / cadence;
    bool uneImage = false;
    for (int i = 0; i < n && !pile.arretee(); ++i) {
        const double t = std::round(i / cadence * 600.0) / 600.0;
        QImage image;
        try {
            image = video.image(t, tolerance);
        } catch (const Media::Echec& e) {
            journaliser("libav", "image", e);
        }
        // A missing frame repeats the one before; missing ones at the start are left out.
        if (!image.isNull()) {
            pile.ajouter(image, i);
            uneImage = true;
        } else if (uneImage) {
            pile.repeter();
        }
        if (progression)
            progression((i + 1) * partEchantillons / n);
    }
}

// The delay of each of the n frames, in milliseconds. A GIF counts in whole hundredths: each
// frame lasts from its own time to the next one's, both rounded to the hundredth, so the
// rounding never adds up and the GIF lasts as long as the video (the last frame to its end).
std::vector<int> delais(int n, double cadence, double duree)
{
    const auto centiemes = [&](int i) { return std::lround(100.0 * (i < n ? i / cadence : duree)); };
    std::vector<int> d(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        // Viewers play anything under two hundredths as ten.
        d[static_cast<size_t>(i)] = 10 * static_cast<int>(std::max(2L, centiemes(i + 1) - centiemes(i)));
    return d;
}

// Whatever the saver does, the sampler is stopped and waited for.
struct Arret {
    PileGif& pile;
    std::thread& producteur;
    ~Arret()
    {
        pile.arreter();
        producteur.join();
    }
};

} // namespace

QString gif(const QString& source, const QString& dossier, const QString& base, const Progression& progression)
{
    std::unique_ptr<Media::Echantillonneur> video;
    try {
        video = std::make_unique<Media::Echantillonneur>(source, QSize(cote, cote));
    } catch (const Media::Echec& e) {
        journaliser("libav", "ouverture", e);
        throw Erreur::lecture(nomDe(source));
    }
    const double duree = video->duree();
    // Unknown, infinite or empty: no frame budget can be made of it.
    if (!std::isfinite(duree) || !(duree > 0))
        throw Erreur::lecture(nomDe(source));
    const double cadence = std::min(budget / duree, cadenceMax);
    const int n = std::max(1, static_cast<int>(std::floor(duree * cadence)));

    vipsPret();
    Sortie sortie(dossier, base, QStringLiteral("gif"));
    PileGif pile(video->taille(), n);
    bool ecrit = false;
    bool uneImage = false;
    QString echec;  // the writer's words
    {
        std::thread producteur([&] {
            try {
                echantillonner(*video, pile, n, cadence, progression);
                pile.finir();
            } catch (...) {
                pile.finir(std::current_exception());
            }
        });
        const Arret arret{pile, producteur};
        try {
            uneImage = pile.nombre() > 0;
            if (uneImage) {
                pile.enregistrer(sortie.temporaire(), delais(n, cadence, duree));
                ecrit = true;
            }
        } catch (const vips::VError& e) {
            echec = motsDeVips(e);
            // Stopped by a quit: no failure of libvips, the application says the job is cancelled.
            verifierAnnulation();
            qCWarning(journalMedia).noquote() << QStringLiteral("vips : gif, écriture : ") + echec;
        }
    }
    if (const std::exception_ptr erreur = pile.erreur())
        std::rethrow_exception(erreur);
    // Not one picture decoded: the video is what could not be read.
    if (!uneImage)
        throw Erreur::lecture(nomDe(source));
    if (!ecrit)
        echecDEcriture(sortie.nom(), echec);
    return sortie.valider();
}

} // namespace Conversions
