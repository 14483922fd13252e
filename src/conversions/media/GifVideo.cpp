// The animated GIF of a video.

// Before Qt: glib's headers use a word that Qt turns into a macro.
#include <vips/vips8>

#include "conversions/media/Gif.h"

#include "conversions/media/GifPile.h"
#include "conversions/Chemins.h"
#include "conversions/Journaux.h"
#include "conversions/Sortie.h"
#include "conversions/images/Vips.h"
#include "plateforme/media/Echec.h"
#include "plateforme/media/Echantillonneur.h"

#include <cmath>
#include <memory>
#include <thread>

namespace Conversions {

namespace {

constexpr double budget = 300.0;       // frames for the whole video
constexpr double cadenceMax = 12.0;    // frames per second
constexpr int cote = 480;
constexpr double partEchantillons = 0.55;

void journaliser(const char* bibliotheque, const char* quoi, const std::exception& e)
{
    qCWarning(journalMedia).noquote() << QLatin1String(bibliotheque) + QStringLiteral(" : gif, ") + QLatin1String(quoi)
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
            if (pile.nombre() > 0) {
                pile.enregistrer(sortie.temporaire(), static_cast<int>(std::lround(1000.0 / cadence)));
                ecrit = true;
            }
        } catch (const vips::VError& e) {
            journaliser("vips", "écriture", e);
        }
    }
    if (const std::exception_ptr erreur = pile.erreur())
        std::rethrow_exception(erreur);
    if (!ecrit)
        throw Erreur::ecriture(sortie.nom());
    return sortie.valider();
}

} // namespace Conversions
