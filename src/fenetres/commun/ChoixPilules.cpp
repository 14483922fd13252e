#include "fenetres/commun/ChoixPilules.h"

#include "fenetres/commun/Accessibles.h"
#include "fenetres/commun/BoutonClavier.h"
#include "fenetres/commun/Couleurs.h"
#include "roue/Effets.h"

#include <QAbstractButton>
#include <QFontMetricsF>
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

QPainterPath capsule(const QRectF& r)
{
    QPainterPath p;
    p.addRoundedRect(r, r.height() / 2, r.height() / 2);
    return p;
}

// One option: its text over the control's track, in ink when chosen, else in slate. Only
// the chosen one takes Tab; the arrows move the choice among them, the ring with it.
class Option : public BoutonClavier {
public:
    Option(const QString& texte, QWidget* parent) : BoutonClavier(parent)
    {
        setText(texte);
        setFont(policeChoix());
        setCheckable(true);
        setAutoExclusive(true);
        setCursor(Qt::PointingHandCursor);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        peindreAnneau(p, capsule(QRectF(rect())));
        p.setPen(isChecked() ? Couleurs::encre() : Couleurs::ardoise());
        p.drawText(rect(), Qt::AlignCenter, text());
    }
    bool hitButton(const QPoint& pos) const override { return capsule(QRectF(rect())).contains(pos); }
};

} // namespace

ChoixPilules::ChoixPilules(const QStringList& options, QWidget* parent) : QWidget(parent), textes_(options)
{
    Accessibles::installer();
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    for (int i = 0; i < textes_.size(); ++i) {
        auto* o = new Option(textes_[i], this);
        o->setGeometry(cadre(i).toAlignedRect());
        connect(o, &QAbstractButton::clicked, this, [this, i] { choisir(i); });
        options_ << o;
    }
    if (!options_.isEmpty()) {
        options_[0]->setChecked(true);
        suivre(0);
    }
    connect(&animateur_, &Animateur::pas, this, qOverload<>(&QWidget::update));
    const QRectF c = cadre(0);
    gauche_.fixer(c.left());
    largeur_.fixer(c.width());
}

QRectF ChoixPilules::cadre(int index) const
{
    const QFontMetricsF m(policeChoix());
    double x = bord;
    for (int i = 0; i < textes_.size(); ++i) {
        const double w = std::ceil(m.horizontalAdvance(textes_[i])) + 2 * marge;
        if (i == index)
            return {x, bord, w, hauteur};
        x += w + ecart;
    }
    return {x, bord, 0, hauteur};
}

QRectF ChoixPilules::curseur() const { return {gauche_.valeur(), bord, largeur_.valeur(), hauteur}; }

QSize ChoixPilules::sizeHint() const
{
    const QRectF dernier = cadre(int(textes_.size()) - 1);
    return {int(std::ceil(dernier.right() + bord)), int(hauteur + 2 * bord)};
}

void ChoixPilules::setChoisi(int index)
{
    if (index < 0 || index >= textes_.size())
        return;
    choisi_ = index;
    options_[index]->setChecked(true);
    suivre(index);
    const QRectF c = cadre(index);
    const Mouvement m = reduire_ ? Mouvement::immediat() : Mouvement::par(Ressort{0.35, 0.7});
    gauche_.aller(c.left(), m, animateur_);
    largeur_.aller(c.width(), m, animateur_);
    update();
}

void ChoixPilules::suivre(int index)
{
    // Given the keyboard (the window opening, a click beside it), the control hands it to the
    // chosen option; the options themselves pass it along with the choice.
    setFocusProxy(options_[index]);
}

void ChoixPilules::choisir(int index)
{
    if (index == choisi_)
        return;
    setChoisi(index);
    emit change(index);
}

void ChoixPilules::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillPath(capsule(QRectF(rect())), Couleurs::encre(0.06));
    const QRectF c = curseur();
    if (c.width() > 0) {
        Roue::Effets::dessiner(p, {capsule(c), 0, QColor(0, 0, 0, 31), 0.75, {}}, QPointF(0, 1));
        p.fillPath(capsule(c), Qt::white);
    }
}
