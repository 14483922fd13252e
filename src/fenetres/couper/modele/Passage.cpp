#include "fenetres/couper/modele/Passage.h"

#include "conversions/Catalogue.h"
#include "conversions/Erreur.h"
#include "conversions/Journaux.h"
#include "conversions/media/FFmpeg.h"
#include "fenetres/commun/modele/EnFond.h"
#include "fenetres/couper/modele/LecteurQt.h"
#include "fenetres/couper/modele/Onde.h"
#include "plateforme/media/Echantillonneur.h"
#include "plateforme/media/Sonde.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>
#include <algorithm>
#include <cmath>
#include <limits>
#include <mutex>
#include <utility>

// The temporary WAV copy, shared with the ffmpeg run that writes it: whichever of the
// closing and the end of the run comes last deletes the file.
struct Passage::Copie {
    QString chemin;
    std::mutex verrou;
    bool abandonnee = false;

    void abandonner()
    {
        const std::lock_guard<std::mutex> g(verrou);
        abandonnee = true;
        QFile::remove(chemin);
    }
    // After the run: false (and no file left) when it failed or the model closed meanwhile.
    bool finir(bool reussie)
    {
        const std::lock_guard<std::mutex> g(verrou);
        if (reussie && !abandonnee)
            return true;
        QFile::remove(chemin);
        return false;
    }
};

Passage::Passage(const QString& url, std::unique_ptr<Lecteur> lecteur, QObject* parent)
    : QObject(parent), url_(url), video_(Conversions::genre(url) == Conversions::Genre::video), lecteur_(std::move(lecteur))
{
    if (!lecteur_)
        lecteur_ = std::make_unique<LecteurQt>();
    horloge_.setInterval(1000 / 30);
    connect(&horloge_, &QTimer::timeout, this, &Passage::battre);
}

Passage::~Passage() { fermer(); }

void Passage::preparer()
{
    if (prepare_ || ferme_)
        return;
    prepare_ = true;
    if (!Conversions::sonsFFmpeg().contains(QFileInfo(url_).suffix().toLower())) {
        charger(url_, std::numeric_limits<double>::quiet_NaN());
        return;
    }
    // The player reads only what the platform reads: an uncompressed copy, no picture.
    copie_ = std::make_shared<Copie>();
    copie_->chemin = QDir(QDir::tempPath())
                         .filePath(QStringLiteral("ecoute-") + QUuid::createUuid().toString(QUuid::WithoutBraces)
                                   + QStringLiteral(".wav"));
    const std::shared_ptr<Copie> copie = copie_;
    const QString source = url_;
    enFond<bool>(this, [copie, source] {
        bool reussie = false;
        try {
            Conversions::lancerFFmpeg({QStringLiteral("-i"), source, QStringLiteral("-vn"), QStringLiteral("-c:a"),
                                       QStringLiteral("pcm_s16le"), copie->chemin},
                                      source, [](double) {});
            reussie = true;
        } catch (const std::exception&) {
            // The runner has logged ffmpeg's words; the window says the file is unreadable.
        }
        return copie->finir(reussie);
    }, [this](bool reussie) {
        if (ferme_)
            return;
        if (!reussie)
            return echouer();
        travail_ = copie_->chemin;
        charger(travail_, std::numeric_limits<double>::quiet_NaN());
    });
}

// Reads the duration of `media` and how its pictures turn, off the GUI thread (when not
// given), then hands the file to the player and starts the thumbnails or the waveform.
void Passage::charger(const QString& media, double duree)
{
    if (std::isnan(duree)) {
        using Lu = std::pair<double, Media::Orientation>;
        const bool video = video_;
        enFond<Lu>(this, [media, video] {
            const std::optional<Media::Sondage> s = Media::sonder(media);
            return Lu{s ? s->duree : 0.0, video ? Media::orientationVideo(media) : Media::Orientation{}};
        }, [this, media](const Lu& lu) {
            if (ferme_)
                return;
            const double d = lu.first;
            if (!(d > 0) || !std::isfinite(d))
                return echouer();
            orientation_ = lu.second;
            charger(media, d);
        });
        return;
    }
    duree_ = duree;
    d1_ = duree;
    lecteur_->ouvrir(media);
    emit change();
    emit prepare();

    QPointer<Passage> moi(this);
    if (video_) {
        enFond<bool>(this, [moi, media, duree] {
            Passage::vignettes(media, duree, [moi](const QImage& image) {
                QMetaObject::invokeMethod(qApp, [moi, image] {
                    if (moi && !moi->ferme_) {
                        moi->vignettes_ << image;
                        emit moi->apercu();
                    }
                }, Qt::QueuedConnection);
            });
            return true;
        }, [this](bool) { emit apercuFini(); });
    } else {
        enFond<QList<float>>(this, [media, duree] { return Passage::onde(media, duree); }, [this](const QList<float>& l) {
            if (!ferme_) {
                onde_ = l;
                emit apercu();
            }
            emit apercuFini();
        });
    }
}

void Passage::echouer()
{
    qCWarning(Conversions::journalMedia).noquote() << QFileInfo(url_).fileName() + QStringLiteral(" : aucune durée lisible");
    erreur_ = Conversions::Erreur::lecture(QFileInfo(url_).fileName()).message();
    emit change();
    emit prepare();
    emit apercuFini();
}

void Passage::chercher(double t) { lecteur_->chercher(t); }

void Passage::basculer()
{
    if (lit_)
        arreter();
    else
        lire();
}

void Passage::lire()
{
    if (!pret() || ferme_)
        return;
    // A player stopped at the end of the file would start again from its beginning.
    if (pos_ < d0_ || pos_ >= d1_ - 0.05 || lecteur_->termine()) {
        pos_ = d0_;
        chercher(d0_);
    }
    lit_ = true;
    lecteur_->jouer();
    horloge_.start();
    emit change();
}

void Passage::arreter()
{
    horloge_.stop();
    if (!lit_)
        return;
    lit_ = false;
    lecteur_->pause();
    emit change();
}

void Passage::battre()
{
    if (!lit_)
        return;
    pos_ = lecteur_->position();
    // A passage that ends with the file ends on a stopped player, which must be restarted.
    if (pos_ >= d1_ || lecteur_->termine()) {
        pos_ = d0_;
        chercher(d0_);
        lecteur_->jouer();
    }
    emit change();
}

void Passage::fermer()
{
    if (ferme_)
        return;
    ferme_ = true;
    horloge_.stop();
    lecteur_->pause();
    if (copie_)
        copie_->abandonner();
}

double Passage::ecart() const { return std::min(duree_ / 20, 1.0); }

void Passage::tenir(Bout bout, double fraction)
{
    if (!pret() || ferme_)
        return;
    arreter();
    const double f = std::isnan(fraction) ? 0 : std::clamp(fraction, 0.0, 1.0);
    double t = f * duree_;
    const double g = ecart();
    if (bout == Bout::debut) {
        t = std::min(std::max(t, 0.0), d1_ - g);
        d0_ = t;
    } else {
        t = std::min(std::max(t, d0_ + g), duree_);
        d1_ = t;
    }
    pos_ = t;
    chercher(t);
    emit tenu(t);
    emit change();
}

QList<QImage> Passage::vignettes(const QString& chemin, double duree, const std::function<void(const QImage&)>& chacune)
{
    QList<QImage> l;
    try {
        Media::Echantillonneur e(chemin, QSize(200, 200));
        for (int i = 0; i < 10; ++i) {
            try {
                const QImage image = e.image((i + 0.5) * duree / 10, 0.5);
                if (image.isNull())
                    continue;
                l << image;
                if (chacune)
                    chacune(image);
            } catch (const std::exception&) {
                // a frame that cannot be made is skipped
            }
        }
    } catch (const std::exception&) {
        // no picture track that can be decoded: no strip
    }
    return l;
}

QList<float> Passage::onde(const QString& chemin, double duree) { return Onde::lire(chemin, duree); }
