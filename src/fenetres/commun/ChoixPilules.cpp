#include "fenetres/commun/ChoixPilules.h"

#include "fenetres/commun/Accessibles.h"
#include "fenetres/commun/Couleurs.h"
#include "roue/Effets.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFocusEvent>
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
// the chosen one takes Tab; the arrows move the choice among them. A ring shows where the
// keyboard stands, not the focus a window gives when it opens.
class Option : public QAbstractButton {
public:
    Option(const QString& texte, QWidget* parent) : QAbstractButton(parent)
    {
        setText(texte);
        setFont(policeChoix());
        setCheckable(true);
        setAutoExclusive(true);
        setFocusPolicy(Qt::TabFocus);
        setCursor(Qt::PointingHandCursor);
    }

    // The ring shows: the keyboard brought the focus here.
    bool clavier() const { return clavier_ && hasFocus(); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        if (clavier()) {
            p.setPen(QPen(Couleurs::encre(0.45), 1.5));
            p.drawPath(capsule(QRectF(rect()).adjusted(0.75, 0.75, -0.75, -0.75)));
        }
        p.setPen(isChecked() ? Couleurs::encre() : Couleurs::ardoise());
        p.drawText(rect(), Qt::AlignCenter, text());
    }
    bool hitButton(const QPoint& pos) const override { return capsule(QRectF(rect())).contains(pos); }
    void focusInEvent(QFocusEvent* e) override
    {
        clavier_ = e->reason() == Qt::TabFocusReason || e->reason() == Qt::BacktabFocusReason;
        QAbstractButton::focusInEvent(e);
    }

private:
    bool clavier_ = false;
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
    // Qt's arrows move the choice only from the checked option, and Tab enters at the options
    // that take it: the keyboard follows the choice, whoever made it, ring and all.
    auto* choisi = static_cast<Option*>(options_[index]);
    for (QAbstractButton* o : options_)
        o->setFocusPolicy(o == choisi ? Qt::TabFocus : Qt::NoFocus);
    auto* focus = dynamic_cast<Option*>(QApplication::focusWidget());
    if (focus && focus != choisi && options_.contains(focus))
        choisi->setFocus(focus->clavier() ? Qt::TabFocusReason : Qt::OtherFocusReason);
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
