#include "fenetres/commun/ChoixPilules.h"

#include "fenetres/commun/Couleurs.h"

#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

namespace {

QFont policeChoix()
{
    QFont f;
    f.setPixelSize(13);
    return f;
}

constexpr double bord = 3, ecart = 2, hauteur = 30, marge = 11;

} // namespace

ChoixPilules::ChoixPilules(const QStringList& options, QWidget* parent) : QWidget(parent), options_(options)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setCursor(Qt::PointingHandCursor);
    connect(&animateur_, &Animateur::pas, this, qOverload<>(&QWidget::update));
    const QRectF c = cadre(0);
    gauche_.fixer(c.left());
    largeur_.fixer(c.width());
}

QRectF ChoixPilules::cadre(int index) const
{
    const QFontMetricsF m(policeChoix());
    double x = bord;
    for (int i = 0; i < options_.size(); ++i) {
        const double w = std::ceil(m.horizontalAdvance(options_[i])) + 2 * marge;
        if (i == index)
            return {x, bord, w, hauteur};
        x += w + ecart;
    }
    return {x, bord, 0, hauteur};
}

QRectF ChoixPilules::curseur() const { return {gauche_.valeur(), bord, largeur_.valeur(), hauteur}; }

QSize ChoixPilules::sizeHint() const
{
    const QRectF dernier = cadre(int(options_.size()) - 1);
    return {int(std::ceil(dernier.right() + bord)), int(hauteur + 2 * bord)};
}

void ChoixPilules::setChoisi(int index)
{
    if (index < 0 || index >= options_.size())
        return;
    choisi_ = index;
    const QRectF c = cadre(index);
    const Mouvement m = reduire_ ? Mouvement::immediat() : Mouvement::par(Ressort{0.35, 0.7});
    gauche_.aller(c.left(), m, animateur_);
    largeur_.aller(c.width(), m, animateur_);
    update();
}

void ChoixPilules::mousePressEvent(QMouseEvent* e)
{
    for (int i = 0; i < options_.size(); ++i) {
        const QRectF c = cadre(i);
        QPainterPath capsule;
        capsule.addRoundedRect(c, c.height() / 2, c.height() / 2);
        if (capsule.contains(e->position())) {
            if (i != choisi_) {
                setChoisi(i);
                emit change(i);
            }
            return;
        }
    }
}

void ChoixPilules::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF tout = QRectF(rect());
    QPainterPath fond;
    fond.addRoundedRect(tout, tout.height() / 2, tout.height() / 2);
    p.fillPath(fond, Couleurs::encre(0.06));

    const QRectF c = curseur();
    if (c.width() > 0) {
        QPainterPath ombre;
        ombre.addRoundedRect(c.translated(0, 1), c.height() / 2, c.height() / 2);
        p.fillPath(ombre, QColor(0, 0, 0, 30));
        QPainterPath pilule;
        pilule.addRoundedRect(c, c.height() / 2, c.height() / 2);
        p.fillPath(pilule, Qt::white);
    }
    p.setFont(policeChoix());
    for (int i = 0; i < options_.size(); ++i) {
        p.setPen(i == choisi_ ? Couleurs::encre() : Couleurs::ardoise());
        p.drawText(cadre(i), Qt::AlignCenter, options_[i]);
    }
}
