#include "fenetres/Entete.h"

#include "fenetres/Couleurs.h"
#include "fenetres/Polices.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

namespace {

QFont policePastille()
{
    QFont f;
    f.setPixelSize(12);
    return f;
}

constexpr int hauteur = 36;

} // namespace

Entete::Entete(const QString& titre, const QString& pastille, QWidget* parent)
    : QWidget(parent), titre_(titre), pastille_(pastille)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    connect(&animateur_, &Animateur::pas, this, qOverload<>(&QWidget::update));
}

void Entete::setTitre(const QString& titre)
{
    titre_ = titre;
    update();
}

void Entete::setPastille(const QString& pastille)
{
    if (pastille == pastille_)
        return;
    ancienne_ = pastille_;
    pastille_ = pastille;
    bascule_.fixer(0);
    bascule_.aller(1, reduire_ ? Mouvement::immediat() : Mouvement::par(Ressort{0.3, 0.9}), animateur_);
    update();
}

QRect Entete::cadrePastille() const
{
    const QFontMetricsF m(policePastille());
    const int largeur = qCeil(std::max(m.horizontalAdvance(pastille_), m.horizontalAdvance(ancienne_) * (1 - bascule_.valeur()))) + 20;
    // The badge is never compressed: the title gives way.
    const QFontMetricsF t(Polices::titre(28));
    const int place = std::max(0, width() - largeur - 10);
    const int titre = std::min(place, qCeil(t.horizontalAdvance(titre_)));
    return {titre + 10, (hauteur - 24) / 2 + 4, largeur, 24};
}

QString Entete::titreAffiche() const
{
    const QFontMetricsF t(Polices::titre(28));
    return t.elidedText(titre_, Qt::ElideMiddle, cadrePastille().left() - 10);
}

QSize Entete::sizeHint() const { return {400, hauteur}; }
QSize Entete::minimumSizeHint() const { return {100, hauteur}; }

void Entete::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const QRect badge = cadrePastille();

    p.setFont(Polices::titre(28));
    p.setPen(Couleurs::encre());
    // Title and badge share their first baseline.
    const double ligne = badge.top() + 12 + QFontMetricsF(policePastille()).ascent() / 2 - 1;
    p.drawText(QPointF(0, ligne), titreAffiche());

    QPainterPath capsule;
    capsule.addRoundedRect(QRectF(badge).adjusted(0.5, 0.5, -0.5, -0.5), 12, 12);
    p.fillPath(capsule, Qt::white);
    p.setPen(QPen(Couleurs::encre(0.10), 1));
    p.drawPath(capsule);

    p.setClipPath(capsule);
    p.setFont(policePastille());
    const double u = bascule_.valeur();
    const QRectF interieur = QRectF(badge).adjusted(10, 0, -10, 0);
    // The new text rises into place while the old one leaves upwards.
    if (u < 1 && !ancienne_.isEmpty()) {
        p.setPen(Couleurs::encre(1 - u));
        p.drawText(interieur.translated(0, -8 * u), Qt::AlignVCenter | Qt::AlignLeft, ancienne_);
    }
    p.setPen(Couleurs::encre(u));
    p.drawText(interieur.translated(0, 8 * (1 - u)), Qt::AlignVCenter | Qt::AlignLeft, pastille_);
}
