#include "tesselui/BoutonAnime.h"

#include "tesselui/Icone.h"
#include "tesselui/Motion.h"
#include "tesselui/Theme.h"
#include "tesselui/Vavirud.h"

#include <QEnterEvent>
#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>

namespace {

QPainterPath capsule(const QRectF& r)
{
    QPainterPath p;
    const double rayon = std::min(r.width(), r.height()) / 2;
    p.addRoundedRect(r, rayon, rayon);
    return p;
}

// A soft glow of radius 4 around a capsule, in rings of falling opacity.
void lueur(QPainter& p, const QRectF& r, QColor c)
{
    if (c.alpha() == 0)
        return;
    const double a = c.alphaF();
    for (int i = 4; i >= 1; --i) {
        c.setAlphaF(float(a * 0.12 * (5 - i) / 4));
        p.setBrush(c);
        p.drawPath(capsule(r.adjusted(-i, -i, i, i)));
    }
}

void peindreCouleurs(QPainter& p, const QPainterPath& forme, const Boutons::Couleurs& c, const QWidget* w)
{
    p.setPen(Qt::NoPen);
    p.setBrush(Theme::de(c.fond, w));
    p.drawPath(forme);
    if (c.largeurTrait > 0) {
        // Inside the edge: the path shrunk by half the width.
        const QRectF b = forme.boundingRect();
        const double d = c.largeurTrait / 2;
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(Theme::de(c.trait, w), c.largeurTrait));
        p.drawPath(capsule(b.adjusted(d, d, -d, -d)));
    }
}

} // namespace

BoutonAnime::BoutonAnime(QWidget* parent) : QAbstractButton(parent)
{
    setAttribute(Qt::WA_Hover);
    setCursor(Qt::PointingHandCursor);
    connect(&animateur_, &Animateur::pas, this, qOverload<>(&QWidget::update));
    connect(this, &QAbstractButton::pressed, this, &BoutonAnime::suivre);
    connect(this, &QAbstractButton::released, this, &BoutonAnime::suivre);
    connect(this, &QAbstractButton::toggled, this, &BoutonAnime::suivreBascule);
    Motion::suivreBureau();
    connect(&Motion::veilleur(), &Motion::Veilleur::change, this, &BoutonAnime::suivre);
}

void BoutonAnime::setDestructive(bool d)
{
    destructive_ = d;
    update();
}

Mouvement BoutonAnime::mouvement() const { return Motion::snappy(); }

void BoutonAnime::suivre()
{
    echelle_.aller(echelleCible(), Motion::adapt(mouvement(), Motion::reduire()), animateur_);
    update();
}

void BoutonAnime::suivreBascule()
{
    // The release that follows a click keeps this move: it asks for the same target.
    echelle_.aller(echelleCible(), Motion::adapt(mouvementBascule(), Motion::reduire()), animateur_);
    update();
}

void BoutonAnime::survoler(bool s)
{
    survole_ = s;
    survol_.aller(s ? 1 : 0, Mouvement::par(Fondu{0.12}), animateur_);
    update();
}

QString BoutonAnime::texteDans(const QFont& f, double largeur) const
{
    return Vavirud::elide(f, text(), largeur);
}

void BoutonAnime::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setOpacity(opacite());
    const QRectF r = QRectF(rect()).adjusted(1, 1, -1, -1);
    const double s = echelle_.valeur();
    p.translate(r.center());
    p.scale(s, s);
    p.translate(-r.center());
    peindreBouton(p, r);
}

void BoutonAnime::enterEvent(QEnterEvent* e)
{
    // A hover that begins while disabled leaves the highlight off.
    survoler(isEnabled());
    QAbstractButton::enterEvent(e);
}

void BoutonAnime::leaveEvent(QEvent* e)
{
    survoler(false);
    QAbstractButton::leaveEvent(e);
}

void BoutonAnime::changeEvent(QEvent* e)
{
    if (e->type() == QEvent::EnabledChange && !isEnabled())
        survoler(false);
    QAbstractButton::changeEvent(e);
}

bool BoutonAnime::hitButton(const QPoint& pos) const { return capsule(QRectF(rect())).contains(pos); }

PillButton::PillButton(const QString& texte, PillButtonStyle style, QWidget* parent) : BoutonAnime(parent), style_(style)
{
    setText(texte);
    setFont(Vavirud::texte(style_.taillePolice(), 400));
    setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);
}

namespace {
// The label's icon: as tall as the text's size, 6 before the title.
constexpr double ecartIcone = 6;
}

void PillButton::setIcone(const QString& nom)
{
    icone_ = nom;
    updateGeometry();
    update();
}

double PillButton::largeurIcone() const
{
    return icone_.isEmpty() ? 0 : style_.taillePolice() + (text().isEmpty() ? 0 : ecartIcone);
}

QSize PillButton::sizeHint() const
{
    const QFontMetricsF m(font());
    const QMarginsF g = style_.marges();
    return QSizeF(largeurIcone() + m.horizontalAdvance(text().simplified()) + g.left() + g.right() + 2,
                  m.height() + g.top() + g.bottom() + 2).toSize();
}

QSize PillButton::minimumSizeHint() const
{
    const QMarginsF g = style_.marges();
    return QSizeF(QFontMetricsF(font()).horizontalAdvance(QStringLiteral("W…")) + g.left() + g.right(), sizeHint().height())
        .toSize();
}

double PillButton::echelleCible() const { return PillButtonStyle::echelle(isDown(), Motion::reduire()); }

void PillButton::peindreBouton(QPainter& p, const QRectF& r)
{
    const Boutons::Couleurs c = style_.couleurs(destructive());
    p.setPen(Qt::NoPen);
    lueur(p, r, Theme::de(c.ombre, this));
    peindreCouleurs(p, capsule(r), c, this);
    p.setPen(Theme::de(c.texte, this));
    p.setFont(font());
    const QRectF zone = r.marginsRemoved(style_.marges());
    const double li = std::min(largeurIcone(), std::max(0.0, zone.width()));
    const QString t = texteDans(font(), zone.width() - li);
    if (li > 0) {
        // Icon and title centred together.
        const double cote = style_.taillePolice();
        const double x = zone.center().x() - (li + QFontMetricsF(font()).horizontalAdvance(t)) / 2;
        const QImage im = Icone::image(icone_, cote, p.pen().color(), devicePixelRatioF());
        if (!im.isNull())
            p.drawImage(QRectF(x, zone.center().y() - cote / 2, cote, cote), im);
        p.drawText(QRectF(x + li, zone.top(), zone.right() - x - li, zone.height()), Qt::AlignLeft | Qt::AlignVCenter, t);
        return;
    }
    p.drawText(zone, Qt::AlignCenter, t);
}

TileButton::TileButton(const QString& texte, QWidget* parent) : BoutonAnime(parent)
{
    setText(texte);
    setFont(Vavirud::texte(15, 400));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

QSize TileButton::sizeHint() const
{
    const QFontMetricsF m(font());
    return QSizeF(m.horizontalAdvance(text().simplified()) + 32, m.height() + 24).toSize();
}

double TileButton::echelleCible() const { return TileButtonStyle::echelle(isDown(), Motion::reduire()); }

void TileButton::peindreBouton(QPainter& p, const QRectF& r)
{
    const Boutons::Couleurs c = TileButtonStyle::couleurs(isDown());
    QPainterPath forme;
    forme.addRoundedRect(r, Tokens::Radius::smallElements, Tokens::Radius::smallElements);
    peindreCouleurs(p, forme, c, this);
    p.setPen(Theme::de(c.texte, this));
    p.setFont(font());
    const QRectF zone = r.adjusted(12, 12, -12, -12);
    p.drawText(zone, Qt::AlignCenter, texteDans(font(), zone.width()));
}

IconButton::IconButton(const QString& icone, IconButtonStyle style, QWidget* parent)
    : BoutonAnime(parent), icone_(icone), style_(std::move(style))
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize IconButton::sizeHint() const
{
    const int c = int(IconButtonStyle::cote);
    return {c + 2 * int(IconButtonStyle::margeX), c};
}

double IconButton::echelleCible() const { return IconButtonStyle::echelle(isDown(), Motion::reduire()); }

Tokens::ThemedColor IconButton::fond() const { return IconButtonStyle::fond(isDown(), survole()); }

QColor IconButton::couleurFond() const
{
    if (isDown())
        return Theme::de(fond(), this);
    // The hover highlight fades in and out: the panel colour at the eased share.
    QColor c = Theme::de(IconButtonStyle::fond(false, true), this);
    c.setAlphaF(float(c.alphaF() * std::clamp(survolCourant(), 0.0, 1.0)));
    return c;
}

void IconButton::peindreBouton(QPainter& p, const QRectF& r)
{
    const QRectF zone = r.adjusted(IconButtonStyle::margeX - 1, 0, -(IconButtonStyle::margeX - 1), 0);
    p.setPen(Qt::NoPen);
    p.setBrush(couleurFond());
    p.drawPath(capsule(zone));
    const double cote = std::min(16.0, std::min(zone.width(), zone.height()) - 6);
    const QImage im = Icone::image(icone_, cote, Theme::de(teinte(), this), devicePixelRatioF());
    if (!im.isNull())
        p.drawImage(QRectF(zone.center().x() - cote / 2, zone.center().y() - cote / 2, cote, cote), im);
}

ToolToggle::ToolToggle(const QString& icone, QWidget* parent) : IconButton(icone, IconButtonStyle::icon(), parent)
{
    setCheckable(true);
}

double ToolToggle::echelleCible() const
{
    return isDown() ? IconButtonStyle::echelle(true, Motion::reduire()) : ToolToggleStyle::echelle(isChecked(), Motion::reduire());
}

Mouvement ToolToggle::mouvementBascule() const { return Motion::bouncy(); }

Tokens::ThemedColor ToolToggle::fond() const
{
    return isChecked() ? ToolToggleStyle::fond(true) : IconButton::fond();
}

QColor ToolToggle::couleurFond() const
{
    return isChecked() ? Theme::de(ToolToggleStyle::fond(true), this) : IconButton::couleurFond();
}

ButtonRow::ButtonRow(QWidget* parent) : QWidget(parent)
{
    QSizePolicy politique(QSizePolicy::Preferred, QSizePolicy::Preferred, QSizePolicy::ButtonBox);
    politique.setHeightForWidth(true);
    setSizePolicy(politique);
}

void ButtonRow::ajouter(QWidget* bouton)
{
    bouton->setParent(this);
    boutons_ << bouton;
    updateGeometry();
    resizeEvent(nullptr);
}

QList<QRect> ButtonRow::disposition(const QList<QSize>& tailles, int largeur)
{
    constexpr int ecart = 8;
    int total = 0, haut = 0;
    for (const QSize& t : tailles) {
        total += t.width();
        haut = std::max(haut, t.height());
    }
    total += ecart * std::max<int>(0, int(tailles.size()) - 1);
    QList<QRect> r;
    int x = 0, y = 0;
    const bool ligne = total <= largeur;
    for (const QSize& t : tailles) {
        if (ligne) {
            r << QRect(x, (haut - t.height()) / 2, t.width(), t.height());
            x += t.width() + ecart;
        } else {
            r << QRect(0, y, std::min(t.width(), std::max(largeur, 0)), t.height());
            y += t.height() + ecart;
        }
    }
    return r;
}

QList<QSize> ButtonRow::tailles() const
{
    QList<QSize> t;
    for (QWidget* b : boutons_)
        t << b->sizeHint();
    return t;
}

QSize ButtonRow::sizeHint() const
{
    QRect tout;
    for (const QRect& r : disposition(tailles(), 1 << 20))
        tout |= r;
    return tout.size();
}

int ButtonRow::heightForWidth(int largeur) const
{
    QRect tout;
    for (const QRect& r : disposition(tailles(), largeur))
        tout |= r;
    return tout.height();
}

void ButtonRow::resizeEvent(QResizeEvent*)
{
    const QList<QRect> r = disposition(tailles(), width());
    for (int i = 0; i < boutons_.size(); ++i)
        boutons_[i]->setGeometry(r[i]);
    setMinimumHeight(heightForWidth(width()));
}
