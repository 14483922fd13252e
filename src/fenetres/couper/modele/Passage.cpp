#include "fenetres/couper/modele/Passage.h"

#include "conversions/sorties/Annulation.h"
#include "conversions/Catalogue.h"
#include "conversions/Erreur.h"
#include "conversions/Journaux.h"
#include "conversions/media/FFmpeg.h"
#include "fenetres/commun/modele/EnFond.h"
#include "fenetres/couper/modele/LecteurQt.h"
#include "fenetres/couper/modele/Onde.h"
#include "plateforme/media/Echantillonneur.h"
#include "plateforme/media/Sonde.h"
#include "tesselui/Guillemets.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>
#include <QUuid>
#include <atomic>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <mutex>
#include <system_error>
#include <unistd.h>
#include <utility>

// Left free in the temporary folder beside the copy (often in memory).
constexpr qint64 margeLibre = qint64(256) << 20;

// The temporary WAV copy, shared with the ffmpeg run that writes it: closing the model stops
// the run, and whichever of the closing and the end of the run comes last deletes the file.
// Held by the engine meanwhile, so that quitting, or the start after a killed run, removes it.
struct Passage::Copie {
    QString chemin;
    std::mutex verrou;
    std::atomic<bool> abandonnee{false};

    void tenir(const QString& c)
    {
        chemin = c;
        Conversions::Emprise(Conversions::Emprise::Levee::jamais).tenir(chemin);
    }
    void supprimer()
    {
        QFile::remove(chemin);
        Conversions::Emprise(Conversions::Emprise::Levee::jamais).lacher(chemin);
    }
    void abandonner()
    {
        const std::lock_guard<std::mutex> g(verrou);
        abandonnee = true;
        supprimer();
    }
    // After the run: false (and no file left) when it failed or the model closed meanwhile.
    bool finir(bool reussie)
    {
        const std::lock_guard<std::mutex> g(verrou);
        if (reussie && !abandonnee)
            return true;
        supprimer();
        return false;
    }
    // Decodes `source` into the copy, within the free space of its folder: a copy that would
    // not fit is refused before anything is written, and ffmpeg never writes past that space.
    // The failure's text, or an empty one.
    QString faire(const QString& source)
    {
        const QString nom = QFileInfo(source).fileName();
        const QString manque = Guillemets::insecables(
            QCoreApplication::translate("Passage", "Pas assez de place libre pour écouter « %1 »").arg(nom));
        const QStorageInfo lieu(QFileInfo(chemin).absolutePath());
        const qint64 place = lieu.isValid() ? lieu.bytesAvailable() - margeLibre : std::numeric_limits<qint64>::max();
        const qint64 prevue = Conversions::octetsDuWav(source);
        if (place <= 0 || prevue > place) {
            qCWarning(Conversions::journalMedia).noquote()
                << QStringLiteral("%1 : copie d’écoute de %2 octets, %3 libres").arg(nom, QString::number(prevue),
                                                                                    QString::number(place));
            return manque;
        }
        bool reussie = false;
        QString echec = Conversions::Erreur::lecture(nom).message();
        try {
            // Private from the start (the temporary folder is every user's): ffmpeg keeps the
            // mode of the file it overwrites.
            const int fd = ::open(QFile::encodeName(chemin).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
            if (fd < 0) {
                qCWarning(Conversions::journalMedia).noquote()
                    << QStringLiteral("%1 : copie d’écoute : %2").arg(nom, QString::fromLocal8Bit(std::strerror(errno)));
                throw std::system_error(errno, std::generic_category(), "open");
            }
            ::close(fd);
            Conversions::lancerFFmpeg(Conversions::argumentsDeWav(source, chemin, place), source, {}, &abandonnee);
            // Stopped at the limit: a length the source declared too short.
            reussie = QFileInfo(chemin).size() < place;
            if (!reussie)
                echec = manque;
        } catch (const std::exception&) {
            // The runner has logged ffmpeg's words; the window says the file is unreadable.
        }
        return finir(reussie) ? QString() : echec;
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
    copie_->tenir(QDir(QDir::tempPath())
                      .filePath(Conversions::prefixeTemporaire + QStringLiteral("ecoute-")
                                + QUuid::createUuid().toString(QUuid::WithoutBraces) + QStringLiteral(".wav")));
    const std::shared_ptr<Copie> copie = copie_;
    const QString source = url_;
    const auto echec = [this](const QString& texte) {
        if (!ferme_)
            echouer(texte);
    };
    enFond<QString>(this, [copie, source] { return copie->faire(source); }, [this, echec](const QString& texte) {
        if (!texte.isEmpty())
            return echec(texte);
        if (ferme_)
            return;
        travail_ = copie_->chemin;
        charger(travail_, std::numeric_limits<double>::quiet_NaN());
    }, echec);
}

// Reads the duration of `media` and how its pictures turn, off the GUI thread (when not
// given), then hands the file to the player and starts the thumbnails or the waveform.
void Passage::charger(const QString& media, double duree)
{
    if (std::isnan(duree)) {
        struct Lu {
            double duree = 0;
            bool images = false;
            Media::Orientation orientation;
            bool yuv444 = false;
        };
        const bool video = video_;
        enFond<Lu>(this, [media, video] {
            const std::optional<Media::Sondage> s = Media::sonder(media);
            const bool images = video && s && !s->de(Media::TypeDeFlux::video).isEmpty();
            double duree = s ? s->duree : 0.0;
            // A header that promises more than the file holds: the length of what is there.
            if (s && s->courtPourSonEntete())
                if (const double lue = Media::dureeLue(media); lue > 0 && lue < duree)
                    duree = lue;
            if (!images)
                return Lu{duree, false, {}, false};
            return Lu{duree, true, Media::orientationVideo(media), Media::imagesYuv444(media)};
        }, [this, media](const Lu& lu) {
            if (ferme_)
                return;
            const double d = lu.duree;
            if (!(d > 0) || !std::isfinite(d))
                return echouer();
            // A movie without a picture track (a MOV of sound alone) is a sound.
            video_ = lu.images;
            orientation_ = lu.orientation;
            yuv444_ = lu.yuv444;
            charger(media, d);
        }, [this](const QString& texte) {
            if (!ferme_)
                echouer(texte);
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
        }, [this](bool) { emit apercuFini(); }, [this](const QString&) { emit apercuFini(); });
    } else {
        enFond<QList<float>>(this, [media, duree] { return Passage::onde(media, duree); }, [this](const QList<float>& l) {
            if (!ferme_) {
                onde_ = l;
                emit apercu();
            }
            emit apercuFini();
        }, [this](const QString&) { emit apercuFini(); });
    }
}

void Passage::echouer(const QString& texte)
{
    if (texte.isEmpty())
        qCWarning(Conversions::journalMedia).noquote() << QFileInfo(url_).fileName() + QStringLiteral(" : aucune durée lisible");
    erreur_ = texte.isEmpty() ? Conversions::Erreur::lecture(QFileInfo(url_).fileName()).message() : texte;
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
