#pragma once

#include "tesselui/Couleur.h"

#include <QBrush>
#include <QList>
#include <QPainterPath>
#include <QPainter>
#include <QRectF>
#include <QWidget>
#include <cstdint>

// A sky: a day gradient, a night with two glows, and a flat colour that goes with it.
struct Ciel {
    QList<std::uint32_t> clair;
    std::uint32_t lueur = 0;
    std::uint32_t lueurBas = 0;
    Couleur aplat;

    Ciel(QList<std::uint32_t> c, std::uint32_t l, std::uint32_t lb, std::uint32_t aplatJour, std::uint32_t aplatNuit);

    // The flat colour takes no part in equality.
    bool operator==(const Ciel& o) const { return clair == o.clair && lueur == o.lueur && lueurBas == o.lueurBas; }

    // Stop i at i / (max(n, 2) − 1), the middle of three at 0.55.
    static QList<double> arrets(int n);
    QLinearGradient degrade(const QRectF& r) const;
    // The night: a fixed blue gradient, the upper glow at (0.1, 0) and the lower one at
    // (0.96, 1), radii 0.62 and 0.55 of the larger side.
    void peindreNuit(QPainter& p, const QRectF& r) const;
    static double rayonLueur(const QSizeF& taille) { return std::max(taille.width(), taille.height()) * 0.62; }
    static double rayonLueurBas(const QSizeF& taille) { return std::max(taille.width(), taille.height()) * 0.55; }
};

size_t qHash(const Ciel& c, size_t graine = 0);

// A sky painted edge to edge, night in the dark appearance, with two soft clouds.
namespace FondCiel {

struct Nuage {
    QRectF cadre;  // the ellipse
    double flou;   // its blur radius
    QColor couleur;
};
// The two clouds over a sky of that size.
QList<Nuage> nuages(const QSizeF& taille, bool sombre);
void peindre(QPainter& p, const QRectF& r, const Ciel& ciel, bool sombre, bool avecNuages = true);

} // namespace FondCiel

// The sky as a widget.
class VueCiel : public QWidget {
    Q_OBJECT
public:
    explicit VueCiel(Ciel ciel, bool nuages = true, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent*) override;

private:
    Ciel ciel_;
    bool nuages_;
};

// A rounded panel with a sky behind its content; the content is clipped to the rounding too.
class EncadreReverie : public QWidget {
    Q_OBJECT
public:
    explicit EncadreReverie(Ciel ciel, QWidget* contenu, double hauteurMin = 0, double rayon = 28, QWidget* parent = nullptr);
    double rayon() const { return rayon_; }
    // The rounded outline everything is clipped to, for a panel of that size.
    static QPainterPath forme(const QSizeF& taille, double rayon);

protected:
    void paintEvent(QPaintEvent*) override;

private:
    class Decoupe;
    void peindreCiel(QPainter& p) const;
    Ciel ciel_;
    double rayon_;
};

// A light capsule badge to set on a sky.
class PastilleCiel : public QWidget {
    Q_OBJECT
public:
    explicit PastilleCiel(QWidget* contenu, QWidget* parent = nullptr);
    static QColor fond(bool sombre) { return QColor(255, 255, 255, sombre ? 26 : 204); }

protected:
    void paintEvent(QPaintEvent*) override;
};

// The Reverie card: paper in a rounded rectangle with a faint ink border.
void carteReverie(QPainter& p, const QRectF& r, double rayon, const QPalette& palette);
