// An animated GIF to an H.264 video.

// Before Qt: glib's headers use the word Qt turns into a macro.
#include <vips/vips8>

#include "conversions/media/Gif.h"

#include "conversions/Catalogue.h"
#include "conversions/Journaux.h"
#include "conversions/sorties/Sortie.h"
#include "conversions/travail/Reserve.h"
#include "conversions/images/Vips.h"
#include "plateforme/media/Echec.h"
#include "plateforme/media/EcrivainH264.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <cmath>
#include <optional>

namespace Conversions {

namespace {

constexpr double delaiParDefaut = 0.1;
constexpr double delaiMin = 0.02;
constexpr int64_t plusGrandeImage = 8192LL * 8192;
// What the encoder may hold at once, whatever the size of the frames.
constexpr int64_t memoireDuCodeur = 768LL << 20;
// Frames held while one is decoded and handed over: the decoder's canvas and the one before
// it, the flattened frame, its copy for the encoder; 4 bytes a pixel.
constexpr int64_t imagesDecodees = 4;

void journaliser(const char* bibliotheque, const char* quoi, const std::exception& e)
{
    qCWarning(journalMedia).noquote() << QLatin1String(bibliotheque) + QStringLiteral(" : gif en vidéo, ")
                                             + QString::fromUtf8(quoi) + QStringLiteral(" : ") + QString::fromUtf8(e.what());
}

// The largest even number not above `cote`, and 2 for the smallest sides.
int pair(int cote) { return cote > 1 ? cote - cote % 2 : 2; }

// Seconds a frame lasts: its own delay unless missing or too short to be meant.
double delai(const std::vector<int>& delaisMs, int i)
{
    if (i >= static_cast<int>(delaisMs.size()))
        return delaiParDefaut;
    const double d = delaisMs[static_cast<size_t>(i)] / 1000.0;
    return d >= delaiMin ? d : delaiParDefaut;
}

struct Animation {
    vips::VImage images;  // the frames one under the other, on white, RGB
    int largeur = 0;
    int hauteur = 0;
    int nombre = 0;
    std::vector<int> delais;
};

Animation charger(const QString& source)
{
    const QString nom = QFileInfo(source).fileName();
    Animation a;
    try {
        vipsPret();
        vips::VImage image = vips::VImage::gifload(QFile::encodeName(source).constData(),
                                                   vips::VImage::option()->set("n", -1)->set("access", VIPS_ACCESS_SEQUENTIAL));
        a.largeur = image.width();
        a.hauteur = vips_image_get_page_height(image.get_image());
        a.nombre = a.hauteur > 0 ? image.height() / a.hauteur : 0;
        if (image.get_typeof("delay"))
            a.delais = image.get_array_int("delay");
        if (image.has_alpha())
            image = image.flatten(vips::VImage::option()->set("background", std::vector<double>{255, 255, 255}));
        if (image.bands() < 3)
            image = image.colourspace(VIPS_INTERPRETATION_sRGB);
        a.images = image.extract_band(0, vips::VImage::option()->set("n", 3)).cast(VIPS_FORMAT_UCHAR);
    } catch (const vips::VError& e) {
        journaliser("vips", "lecture", e);
        throw Erreur::lecture(nom);
    }
    // Fewer than two images is no animation; a canvas past the bound would not fit in memory.
    if (a.nombre < 2 || static_cast<int64_t>(a.largeur) * a.hauteur > plusGrandeImage)
        throw Erreur::lecture(nom);
    // libvips stops reading past a few thousand images and says so only in a warning: a video
    // of what it read would be cut short.
    if (const int blocs = nombreDImages(source, a.nombre + 1, -1); blocs > a.nombre) {
        qCWarning(journalMedia).noquote() << QStringLiteral("vips : gif en vidéo, lecture : %1 images lues, le fichier en a plus")
                                                 .arg(a.nombre);
        throw Erreur::rien(QCoreApplication::translate("Conversions", "« %1 » a trop d’images pour être lu en entier")
                               .arg(nom));
    }
    return a;
}

} // namespace

QString gifEnVideo(const QString& source, const Progression& progression)
{
    Animation a = charger(source);
    const int largeur = pair(a.largeur);
    const int hauteur = pair(a.hauteur);
    // Frames flow one at a time. The encoder's usual run within its bound if that fits in what
    // the machine has, else its leanest (one thread); refused at once when even that does not.
    const int64_t decodees = imagesDecodees * 4 * static_cast<int64_t>(a.largeur) * a.hauteur;
    int64_t borne = memoireDuCodeur;
    std::optional<Reserve> memoire = Reserve::essayer(Media::EcrivainH264::memoire(largeur, hauteur, borne) + decodees);
    if (!memoire) {
        borne = 1;
        memoire.emplace(Media::EcrivainH264::memoire(largeur, hauteur, borne) + decodees, source);
    }
    Sortie sortie = Sortie::apres(source, QString(), QStringLiteral("mp4"));
    try {
        Media::EcrivainH264 video(sortie.temporaire(), largeur, hauteur, borne);
        // One region, filled page after page: the GIF is decoded once, in order.
        const vips::VRegion region = vips::VRegion::new_from_image(a.images);
        double t = 0;
        int ajoutees = 0;
        for (int i = 0; i < a.nombre; ++i) {
            const double d = delai(a.delais, i);
            try {
                region.prepare(0, i * a.hauteur, a.largeur, a.hauteur);
            } catch (const vips::VError& e) {
                // A frame that cannot be made is passed over and adds no time.
                journaliser("vips", "image", e);
                continue;
            }
            const QImage image(region.addr(), a.largeur, a.hauteur, static_cast<qsizetype>(region.stride()),
                               QImage::Format_RGB888);
            const auto debut = std::llround(t * Media::EcrivainH264::echelle);
            const auto fin = std::llround((t + d) * Media::EcrivainH264::echelle);
            video.ajouter(image, debut, fin - debut);
            t += d;
            ++ajoutees;
            if (progression)
                progression(static_cast<double>(i + 1) / a.nombre);
        }
        if (ajoutees == 0)
            throw Erreur::ecriture(sortie.nom());
        video.terminer();
    } catch (const Media::Echec& e) {
        journaliser("libav", "écriture", e);
        echecDEcriture(sortie.nom(), e);
    }
    return sortie.valider();
}

} // namespace Conversions
