#include "tesselui/BoutonAnime.h"

#include "tesselui/Icone.h"
#include "tesselui/Motion.h"
#include "tesselui/Theme.h"
#include "tesselui/Vavirud.h"

#include <QEnterEvent>
#include <QFontMetricsF>
#include <QIcon>
#include <QPainter>
#include <algorithm>
#include <cmath>

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

namespace {
constexpr double ecartIcone = 6;
}

QImage BoutonAnime::imageEtiquette(const QString& nom, double cote, const QColor& teinte) const
{
    if (!nom.isEmpty())
        return Icone::image(nom, cote, teinte, devicePixelRatioF());
    if (icon().isNull())
        return {};
    // Tinted like the title, as the design system's own icons are.
    const QSize c(int(std::ceil(cote)), int(std::ceil(cote)));
    QImage im = icon().pixmap(c, devicePixelRatioF()).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QPainter q(&im);
    q.setCompositionMode(QPainter::CompositionMode_SourceIn);
    q.fillRect(im.rect(), teinte);
    return im;
}

double BoutonAnime::largeurEtiquette(const QString& nom, const QFont& f, double cote) const
{
    const double titre = QFontMetricsF(f).horizontalAdvance(text().simplified());
    if (nom.isEmpty() && icon().isNull())
        return titre;
    return cote + (text().isEmpty() ? 0 : ecartIcone) + titre;
}

void BoutonAnime::peindreEtiquette(QPainter& p, const QRectF& zone, const QString& nom, double cote) const
{
    const QImage im = imageEtiquette(nom, cote, p.pen().color());
    const double li = im.isNull() ? 0 : cote + (text().isEmpty() ? 0 : ecartIcone);
    const double x = zone.center().x() - (li + QFontMetricsF(p.font()).horizontalAdvance(text())) / 2;
    if (!im.isNull())
        p.drawImage(QRectF(x, zone.center().y() - cote / 2, cote, cote), im);
    // Unclipped: the title is never cut.
    p.drawText(QRectF(x + li, zone.top(), std::max(zone.right() - x - li, 0.0), zone.height()),
               Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextDontClip, text());
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
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void PillButton::setIcone(const QString& nom)
{
    icone_ = nom;
    updateGeometry();
    update();
}

QSize PillButton::sizeHint() const
{
    const QFontMetricsF m(font());
    const QMarginsF g = style_.marges();
    return QSizeF(std::ceil(largeurEtiquette(icone_, font(), style_.taillePolice())) + g.left() + g.right() + 2,
                  m.height() + g.top() + g.bottom() + 2).toSize();
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
    peindreEtiquette(p, r.marginsRemoved(style_.marges()), icone_, style_.taillePolice());
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
    // A scale above 1 (a tool that is on) needs room beyond the capsule on each side.
    const double d = std::max(echelleMax() - 1, 0.0) / 2;
    return {int(IconButtonStyle::largeur + 2 * std::ceil(d * IconButtonStyle::largeur)),
            int(IconButtonStyle::hauteur + 2 * std::ceil(d * IconButtonStyle::hauteur))};
}

QRectF IconButton::capsuleDans(const QRectF& r) const
{
    const QSizeF t(IconButtonStyle::largeur, IconButtonStyle::hauteur);
    return {r.center() - QPointF(t.width(), t.height()) / 2, t};
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
    const QRectF zone = capsuleDans(r);
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
            // Stacked, each keeps its ideal width: a pill never shrinks (the row asks for its
            // widest button as its minimum).
            r << QRect(0, y, t.width(), t.height());
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

QSize ButtonRow::minimumSizeHint() const
{
    int large = 0;
    for (const QSize& t : tailles())
        large = std::max(large, t.width());
    return {large, heightForWidth(large)};
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
