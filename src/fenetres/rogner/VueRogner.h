#pragma once

#include "fenetres/rogner/modele/Cadre.h"
#include "fenetres/commun/VueOutil.h"
#include "tesselui/Animateur.h"

#include <QImage>

class ChoixPilules;

// The crop tool: the photo in a canvas under a frame moved by its inside or its eight
// handles, six formats that fix its proportions, and the cropped photo saved beside the
// source under the word "rognée".
class VueRogner : public VueOutil {
    Q_OBJECT
public:
    VueRogner(const QString& url, FenetreOutil* fenetre, Fini fini);

    // The frame in photo pixels, and the format chosen.
    const QRectF& cadre() const { return c_; }
    int format() const { return format_; }
    bool chargee() const { return !image_.isNull(); }
    void choisirFormat(int index);
    // The whole photo, reshaped to the format (a double click inside the frame).
    void toutReprendre();
    // The canvas the frame is drawn and dragged in.
    QWidget& canevas();

signals:
    // The photo has been read (or failed to be).
    void charge();

protected:
    void valider() override;

private:
    class Toile;
    struct Chargement {
        QImage image;
        QImage apercu;
        QString erreur;
    };
    void montrer(const Chargement& c);
    QSizeF taille() const;
    std::optional<double> ratio() const;
    // Moves the frame to `c`, on a spring or at once.
    void placer(const QRectF& c, bool anime);
    // The badge: the size of the crop the frame gives.
    void montrerTaille();

    QImage image_;
    QImage apercu_;
    QRectF c_;
    int format_ = 0;
    Toile* toile_;
    ChoixPilules* formats_;
    Animateur animateur_;
    Valeur x_, y_, w_, h_;  // the frame as drawn
};
