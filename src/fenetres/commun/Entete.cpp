#include "fenetres/commun/Entete.h"

#include "fenetres/commun/Accessibles.h"
#include "fenetres/commun/Chiffres.h"
#include "fenetres/commun/Couleurs.h"
#include "fenetres/commun/Polices.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QRegularExpression>
#include <cmath>

namespace {

const Chiffres& chiffresPastille()
{
    static const Chiffres c(12);
    return c;
}

constexpr int hauteur = 36;

// A text cut into its numbers and what stands between them.
struct Gabarit {
    QStringList autour;  // one more than the numbers
    QList<qint64> nombres;
    QList<int> zeros;  // the width of a number written with leading zeros ("05"), else 0
};

Gabarit gabarit(const QString& texte)
{
    static const QRegularExpression chiffres(QStringLiteral("\\d+"));
    Gabarit g;
    qsizetype debut = 0;
    for (auto it = chiffres.globalMatch(texte); it.hasNext();) {
        const auto m = it.next();
        g.autour << texte.mid(debut, m.capturedStart() - debut);
        g.nombres << m.captured().toLongLong();
        g.zeros << (m.capturedLength() > 1 && m.captured().startsWith(QLatin1Char('0')) ? int(m.capturedLength()) : 0);
        debut = m.capturedEnd();
    }
    g.autour << texte.mid(debut);
    return g;
}

} // namespace

Entete::Entete(const QString& titre, const QString& pastille, QWidget* parent)
    : QWidget(parent), titre_(titre), pastille_(pastille)
{
    Accessibles::installer();
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
    const Gabarit avant = gabarit(ancienne_), apres = gabarit(pastille_);
    compte_ = !avant.nombres.isEmpty() && avant.autour == apres.autour;
    bascule_.fixer(0);
    const Mouvement m = reduire_ || ancienne_.isEmpty() ? Mouvement::immediat()
                        : compte_                       ? Mouvement::par(Fondu{0.45})
                                                        : Mouvement::par(Fondu{0.3});
    bascule_.aller(1, m, animateur_);
    update();
}

QList<Entete::Couche> Entete::couches() const
{
    const double u = bascule_.valeur();
    if (u >= 1 || ancienne_.isEmpty())
        return pastille_.isEmpty() ? QList<Couche>{} : QList<Couche>{{pastille_, 1, 0}};
    if (compte_) {
        // Every number goes from its old value to its new one; the words stay.
        const Gabarit avant = gabarit(ancienne_), apres = gabarit(pastille_);
        QString texte = apres.autour[0];
        for (qsizetype i = 0; i < apres.nombres.size(); ++i) {
            const double n = avant.nombres[i] + (apres.nombres[i] - avant.nombres[i]) * u;
            const int largeur = std::max(avant.zeros[i], apres.zeros[i]);  // "0:05" stays two-digit
            texte += QStringLiteral("%1").arg(qint64(std::llround(n)), largeur, 10, QLatin1Char('0'))
                     + apres.autour[i + 1];
        }
        return {{texte, 1, 0}};
    }
    // The old text leaves upwards in the first half, the new one rises in the second.
    if (u < 0.5)
        return {{ancienne_, 1 - 2 * u, -8 * 2 * u}};
    return pastille_.isEmpty() ? QList<Couche>{} : QList<Couche>{{pastille_, 2 * u - 1, 8 * (2 - 2 * u)}};
}

QRect Entete::cadrePastille() const
{
    const Chiffres& c = chiffresPastille();
    double texte = c.largeur(pastille_);
    if (bascule_.valeur() < 1)
        texte = std::max(texte, c.largeur(ancienne_));
    const int largeur = pastille_.isEmpty() && ancienne_.isEmpty() ? 0 : qCeil(texte) + 20;
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
    const double ligne = badge.top() + 12 + chiffresPastille().ascendante() / 2 - 1;
    p.drawText(QPointF(0, ligne), titreAffiche());
    if (badge.width() == 0)
        return;  // nothing known yet to show

    QPainterPath capsule;
    capsule.addRoundedRect(QRectF(badge).adjusted(0.5, 0.5, -0.5, -0.5), 12, 12);
    p.fillPath(capsule, Qt::white);
    p.setPen(QPen(Couleurs::encre(0.10), 1));
    p.drawPath(capsule);

    p.setClipPath(capsule);
    const QRectF interieur = QRectF(badge).adjusted(10, 0, -10, 0);
    for (const Couche& c : couches()) {
        p.setPen(Couleurs::encre(c.opacite));
        chiffresPastille().dessiner(p, interieur.translated(0, c.decalage), Qt::AlignLeft, c.texte);
    }
}
