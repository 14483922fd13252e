// The animated GIF of a video.

// Before Qt: glib's headers use the word Qt turns into a macro.
#include <vips/vips8>

#include "conversions/Gif.h"

#include "conversions/JournalMoteur.h"
#include "conversions/Sortie.h"
#include "conversions/VipsDemarrage.h"
#include "plateforme/media/Av.h"
#include "plateforme/media/Echantillonneur.h"

#include <QFile>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

namespace Conversions {

namespace {

constexpr double budget = 300.0;       // frames for the whole video
constexpr double cadenceMax = 12.0;    // frames per second
constexpr int cote = 480;
constexpr double partEchantillons = 0.55;

void journaliser(const char* quoi, const std::exception& e)
{
    if (journalMoteur)
        journalMoteur(QStringLiteral("gif : ") + QLatin1String(quoi) + QStringLiteral(" : ") + QString::fromUtf8(e.what()));
}

// The frames laid one under the other, as the GIF saver takes them.
class Pile {
public:
    explicit Pile(QSize taille) : taille_(taille), octets_(static_cast<size_t>(taille.width()) * taille.height() * 3) {}

    void ajouter(const QImage& image)
    {
        const QImage rgb = image.size() == taille_ ? image.convertToFormat(QImage::Format_RGB888)
                                                   : image.scaled(taille_).convertToFormat(QImage::Format_RGB888);
        const size_t debut = donnees_.size();
        donnees_.resize(debut + octets_);
        const size_t ligne = static_cast<size_t>(taille_.width()) * 3;
        for (int y = 0; y < taille_.height(); ++y)
            std::memcpy(donnees_.data() + debut + y * ligne, rgb.constScanLine(y), ligne);
        ++nombre_;
    }
    void repeter()
    {
        const size_t debut = donnees_.size();
        donnees_.resize(debut + octets_);
        std::memcpy(donnees_.data() + debut, donnees_.data() + debut - octets_, octets_);
        ++nombre_;
    }
    int nombre() const { return nombre_; }

    void enregistrer(const QString& chemin, int delaiMs) const
    {
        vips::VImage image = vips::VImage::new_from_memory(
            const_cast<uint8_t*>(donnees_.data()), donnees_.size(), taille_.width(),
            taille_.height() * nombre_, 3, VIPS_FORMAT_UCHAR).copy();
        image.set("page-height", taille_.height());
        image.set("delay", std::vector<int>(static_cast<size_t>(nombre_), delaiMs));
        image.set("loop", 0);
        image.gifsave(QFile::encodeName(chemin).constData());
    }

private:
    QSize taille_;
    size_t octets_;
    std::vector<uint8_t> donnees_;
    int nombre_ = 0;
};

} // namespace

QString gif(const QString& source, const QString& dossier, const QString& base, const Progression& progression)
{
    std::unique_ptr<Media::Echantillonneur> video;
    try {
        video = std::make_unique<Media::Echantillonneur>(source, QSize(cote, cote));
    } catch (const Media::Echec& e) {
        journaliser("ouverture", e);
        throw Erreur::lecture(base);
    }
    const double duree = video->duree();
    // Unknown, infinite or empty: no frame budget can be made of it.
    if (!std::isfinite(duree) || !(duree > 0))
        throw Erreur::lecture(base);
    const double cadence = std::min(budget / duree, cadenceMax);
    const int n = std::max(1, static_cast<int>(std::floor(duree * cadence)));
    const double tolerance = 0.5 / cadence;

    demarrerVips();
    Sortie sortie(dossier, base, QStringLiteral("gif"));
    Pile pile(video->taille());
    bool uneImage = false;
    for (int i = 0; i < n; ++i) {
        const double t = std::round(i / cadence * 600.0) / 600.0;
        QImage image;
        try {
            image = video->image(t, tolerance);
        } catch (const Media::Echec& e) {
            journaliser("image", e);
        }
        // A missing frame repeats the one before; missing ones at the start are left out.
        if (!image.isNull()) {
            pile.ajouter(image);
            uneImage = true;
        } else if (uneImage) {
            pile.repeter();
        }
        if (progression)
            progression((i + 1) * partEchantillons / n);
    }
    if (!uneImage)
        throw Erreur::ecriture(sortie.nom());
    try {
        pile.enregistrer(sortie.temporaire(), static_cast<int>(std::lround(1000.0 / cadence)));
    } catch (const vips::VError& e) {
        journaliser("écriture", e);
        throw Erreur::ecriture(sortie.nom());
    }
    return sortie.valider();
}

} // namespace Conversions
