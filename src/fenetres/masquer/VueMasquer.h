#pragma once

#include "fenetres/commun/modele/Toile.h"
#include "fenetres/commun/VueOutil.h"
#include "tesselui/Animateur.h"

#include <QImage>
#include <QList>
#include <QRectF>
#include <optional>

class QLabel;

// The mask tool: the photo's text is read when it opens and zones are proposed over e-mail
// addresses, phone numbers and card numbers; the user adds zones by dragging and removes one
// by clicking it; every zone shows the photo blurred. "Masquer" writes the masked photo at
// full size beside the source under the word "masquée".
class VueMasquer : public VueOutil {
    Q_OBJECT
public:
    VueMasquer(const QString& url, FenetreOutil* fenetre, Fini fini);

    const QList<QRectF>& zones() const { return zones_; }
    bool cherche() const { return cherche_; }
    bool chargee() const { return !image_.isNull(); }
    // How the canvas shows the photo now, and the canvas itself.
    Toile toile() const;
    QWidget& canevas();
    // Each zone outline's scale and opacity as drawn now, those leaving included; and what
    // moves them.
    QList<std::pair<double, double>> apparences() const;
    Animateur& animateurZones();

signals:
    // The detection has ended (or the photo could not be read).
    void pret();

protected:
    void valider() override;

private:
    class Canevas;
    struct Analyse {
        QList<QRectF> zones;
        QImage flou;
        QImage flouApercu;
    };
    void analyser();
    void finir(QPointF point);
    void majTextes();
    Mouvement ressort(Ressort r) const;

    QImage image_, apercu_, flou_, flouApercu_;
    QList<QRectF> zones_;
    bool cherche_ = true;
    std::optional<QRectF> trace_;
    Canevas* canevas_;
    QLabel* aide_;
};
