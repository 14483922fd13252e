#include "fenetres/commun/Pilule.h"

#include "fenetres/commun/CanevasPhoto.h"

#include "fenetres/commun/Couleurs.h"
#include "roue/Symboles.h"

#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace {

QFont policePilule()
{
    QFont f;
    f.setPixelSize(14);
    f.setWeight(QFont::Medium);
    return f;
}

constexpr int cote = 14;  // the symbol's square, as 14-point text

} // namespace

Pilule::Pilule(const QString& texte, bool plein, QWidget* parent, int marge)
    : BoutonClavier(parent), plein_(plein), marge_(marge)
{
    setText(texte);
    setFont(policePilule());
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    connect(this, &QAbstractButton::pressed, this, [this] { presse(true); });
    connect(this, &QAbstractButton::released, this, [this] { presse(false); });
    connect(&animateur_, &Animateur::pas, this, qOverload<>(&QWidget::update));
    toupie_.setInterval(80);
    connect(&toupie_, &QTimer::timeout, this, [this] {
        tour_ = (tour_ + 1) % 8;
        update();
    });
}

void Pilule::setSymbole(const QString& nom)
{
    symbole_ = nom;
    updateGeometry();
}

void Pilule::setAccent(const QColor& couleur, double largeur)
{
    accent_ = couleur;
    accentLargeur_ = largeur;
    update();
}

void Pilule::setOccupe(bool occupe)
{
    occupe_ = occupe;
    occupe ? toupie_.start() : toupie_.stop();
    update();
}

void Pilule::presse(bool enfonce)
{
    const double cible = enfonce ? 0.96 : 1.0;
    echelle_.aller(cible, reduire_ ? Mouvement::immediat() : Mouvement::par(Ressort{0.25, 0.6}), animateur_);
    update();
}

QSize Pilule::sizeHint() const
{
    int largeur = fontMetrics().horizontalAdvance(text()) + 2 * marge_;
    if (!symbole_.isEmpty())
        largeur += cote + 6;
    return {largeur, 36};
}

void Pilule::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    p.translate(r.center());
    p.scale(echelle_.valeur(), echelle_.valeur());
    p.translate(-r.center());
    const double rayon = r.height() / 2;
    const double opacite = isEnabled() || occupe_ ? 1.0 : 0.45;
    p.setOpacity(opacite);

    QPainterPath capsule;
    capsule.addRoundedRect(r, rayon, rayon);
    p.fillPath(capsule, plein_ ? Couleurs::encre() : QColor(Qt::white));
    if (!plein_) {
        p.setPen(QPen(Couleurs::encre(0.16), 1));
        p.drawPath(capsule);
    }
    if (accentLargeur_ > 0) {
        const double m = accentLargeur_ / 2;
        QPainterPath bord;
        bord.addRoundedRect(r.adjusted(m, m, -m, -m), rayon - m, rayon - m);
        p.setPen(QPen(accent_, accentLargeur_));
        p.drawPath(bord);
    }

    peindreAnneau(p, capsule);

    const QColor encre = plein_ ? QColor(Qt::white) : Couleurs::encre();
    if (occupe_) {
        peindreToupie(p, r.center(), tour_, encre, 3.5, 7, 1.8);
        return;
    }
    p.setPen(encre);
    p.setFont(font());
    QRectF texte = r.adjusted(marge_, 0, -marge_, 0);
    if (!symbole_.isEmpty()) {
        const QImage s = Symboles::image(symbole_, cote, encre, devicePixelRatioF());
        p.drawImage(QRectF(texte.left(), r.center().y() - cote / 2.0, cote, cote), s);
        texte.setLeft(texte.left() + cote + 6);
    }
    p.drawText(texte, Qt::AlignCenter, text());
}
