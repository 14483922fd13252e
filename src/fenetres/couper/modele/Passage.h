#pragma once

#include "fenetres/couper/modele/Lecteur.h"
#include "plateforme/media/Orientation.h"

#include <QImage>
#include <QList>
#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>

// The trim model of one window: the file's duration, the passage kept (d0 to d1, in
// seconds), the player and its position, and the thumbnails of a video or the waveform of
// a sound. A sound only ffmpeg reads is first copied to a temporary WAV, which is what the
// player and the waveform read, when it fits the free space there; closing the model stops
// the copy and deletes it. Every field changes on the GUI thread only.
class Passage : public QObject {
    Q_OBJECT
public:
    enum class Bout { debut, fin };

    // Reads nothing yet. Without a player, Qt's own.
    explicit Passage(const QString& url, std::unique_ptr<Lecteur> lecteur = {}, QObject* parent = nullptr);
    ~Passage() override;

    const QString& url() const { return url_; }
    // A movie by its extension until loaded; then only if it has a picture track.
    bool video() const { return video_; }
    double duree() const { return duree_; }
    double d0() const { return d0_; }
    double d1() const { return d1_; }
    double pos() const { return pos_; }
    bool lit() const { return lit_; }
    const QList<QImage>& vignettes() const { return vignettes_; }
    const QList<float>& onde() const { return onde_; }
    const QString& erreur() const { return erreur_; }
    Lecteur& lecteur() { return *lecteur_; }
    // How the player's pictures turn to show upright (they come as stored), once loaded.
    const Media::Orientation& orientation() const { return orientation_; }
    // The video's pictures are 8-bit 4:4:4, which the player's frames misdescribe, once loaded.
    bool yuv444() const { return yuv444_; }
    // The temporary WAV copy, once made.
    const QString& travail() const { return travail_; }
    // Loaded: the duration is known and the player holds the file.
    bool pret() const { return duree_ > 0; }
    // There is a passage to write: loaded, and an end after the start.
    bool coupable() const { return pret() && d1_ > d0_; }

    // Loads the file: duration, player, then thumbnails or waveform, off the GUI thread.
    // Once; a failure sets `erreur`.
    void preparer();
    void basculer();
    // Plays the passage; from its start when the position is outside it or within 0.05 s
    // of its end. Nothing plays before the model is ready.
    void lire();
    // Pauses (a handle dragged, a save).
    void arreter();
    // Pauses, stops the clock, deletes the temporary copy. Also on destruction.
    void fermer();
    // Moves one end of the passage to `fraction` (0 to 1) of the duration, at least
    // `ecart()` from the other end and inside the file; the position follows, with an exact
    // seek.
    void tenir(Bout bout, double fraction);
    // The smallest passage: min(duration / 20, 1 s).
    double ecart() const;

    // One beat of the position clock (1/30 s while playing): the position follows the
    // player; at the passage's end, or when the player stopped at the end of the file,
    // it loops back to the start and plays on.
    void battre();

    // Up to ten frames at the middles of ten equal slices of `duree`, upright, the larger
    // side at most 200, each within 0.5 s of its time; those that cannot be made are
    // skipped. Each is also handed to `chacune` as soon as it is made. Blocking.
    static QList<QImage> vignettes(const QString& chemin, double duree,
                                   const std::function<void(const QImage&)>& chacune = {});
    // The waveform's bars of a sound, each from 0.12 to 1; empty without a readable track.
    // Blocking.
    static QList<float> onde(const QString& chemin, double duree);

signals:
    // Duration, passage, position, playing or error changed.
    void change();
    // A thumbnail or the waveform arrived.
    void apercu();
    // Loading ended, ready or failed.
    void prepare();
    // Thumbnails or waveform are all there (or will not come).
    void apercuFini();
    // An end of the passage was moved: the picture at `secondes` must show exactly.
    void tenu(double secondes);

private:
    struct Copie;
    // The file cannot be had: `texte`, or « Impossible de lire » with its name.
    void echouer(const QString& texte = {});
    void charger(const QString& media, double duree);
    void chercher(double t);

    QString url_;
    bool video_;
    double duree_ = 0, d0_ = 0, d1_ = 0, pos_ = 0;
    bool lit_ = false;
    QList<QImage> vignettes_;
    QList<float> onde_;
    QString erreur_;
    Media::Orientation orientation_;
    bool yuv444_ = false;
    std::unique_ptr<Lecteur> lecteur_;
    QTimer horloge_;
    QString travail_;
    std::shared_ptr<Copie> copie_;
    bool prepare_ = false;
    bool ferme_ = false;
};
