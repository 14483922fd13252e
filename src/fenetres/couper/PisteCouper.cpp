#include "fenetres/couper/PisteCouper.h"

#include "fenetres/couper/ApercuCouper.h"
#include "fenetres/commun/Chiffres.h"
#include "fenetres/commun/Couleurs.h"
#include "fenetres/couper/VueCouper.h"
#include "roue/Effets.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

namespace {

constexpr double marge = 16, dessus = 3, hauteurPiste = 62, cadre = 68, espace = 8, ligne = 17;
constexpr double largeurPoignee = 16, rayonPoignee = 8;

// A rectangle rounded on one side only: its outer side.
QPainterPath arrondiCote(const QRectF& r, bool gauche)
{
    QPainterPath p;
    p.addRoundedRect(r, rayonPoignee, rayonPoignee);
    QPainterPath carre;
    carre.addRect(gauche ? r.adjusted(r.width() / 2, 0, 0, 0) : r.adjusted(0, 0, -r.width() / 2, 0));
    return p.united(carre);
}

} // namespace

PisteCouper::PisteCouper(Passage& passage, bool reduire, QWidget* parent)
    : QWidget(parent), p_(passage), reduire_(reduire)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setFixedHeight(static_cast<int>(cadre + espace + ligne));
    setMouseTracking(true);
    connect(&passage, &Passage::change, this, qOverload<>(&QWidget::update));
    connect(&passage, &Passage::apercu, this, qOverload<>(&QWidget::update));
    connect(&animateur_, &Animateur::pas, this, qOverload<>(&QWidget::update));
}

QSize PisteCouper::sizeHint() const { return {588, static_cast<int>(cadre + espace + ligne)}; }

QRectF PisteCouper::piste() const { return {marge, dessus, width() - 2 * marge, hauteurPiste}; }

double PisteCouper::x(double t) const
{
    const QRectF r = piste();
    return r.left() + (p_.duree() > 0 ? r.width() * t / p_.duree() : 0);
}

QRectF PisteCouper::poignee(Passage::Bout bout) const
{
    const QRectF r = piste();
    const bool debut = bout == Passage::Bout::debut;
    const double bord = p_.duree() > 0 ? x(debut ? p_.d0() : p_.d1()) : (debut ? r.left() : r.right());
    return {debut ? bord - largeurPoignee : bord, r.top() - 3, largeurPoignee, r.height() + 6};
}

void PisteCouper::peindreBande(QPainter& p, const QRectF& r) const
{
    if (p_.video()) {
        p.fillRect(r, QColor::fromRgbF(0.13f, 0.13f, 0.13f));
        // Ten slots whatever has arrived, so the strip never reflows.
        const double l = (r.width() - 9) / 10;
        for (int i = 0; i < p_.vignettes().size() && i < 10; ++i) {
            const QImage& image = p_.vignettes()[i];
            const QRectF slot(r.left() + i * (l + 1), r.top(), l, r.height());
            QSizeF s = image.size();
            s.scale(slot.size(), Qt::KeepAspectRatioByExpanding);
            p.save();
            p.setClipRect(slot);
            p.drawImage(QRectF(slot.center() - QPointF(s.width() / 2, s.height() / 2), s), image);
            p.restore();
        }
        return;
    }
    p.fillRect(r, Couleurs::encre(0.05));
    const QList<float>& onde = p_.onde();
    if (onde.isEmpty())
        return;
    const double n = onde.size(), large = r.width() - 12;
    const double barre = std::max((large - 2 * (n - 1)) / n, 0.5);
    const double pas = n > 1 ? (large - barre) / (n - 1) : 0;
    p.setPen(Qt::NoPen);
    p.setBrush(Couleurs::ardoise());
    for (int i = 0; i < onde.size(); ++i) {
        const double h = std::max(r.height() * onde[i] * 0.8, 3.0);
        const QRectF b(r.left() + 6 + i * pas, r.center().y() - h / 2, barre, h);
        p.drawRoundedRect(b, barre / 2, std::min(barre, h) / 2);
    }
}

void PisteCouper::peindrePoignee(QPainter& p, Passage::Bout bout) const
{
    const QRectF r = poignee(bout);
    const double s = (bout == Passage::Bout::debut ? echelleDebut_ : echelleFin_).valeur();
    p.save();
    p.translate(r.center());
    p.scale(s, s);
    p.translate(-r.center());
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setStops(Couleurs::tilleul());
    p.fillPath(arrondiCote(r, bout == Passage::Bout::debut), g);
    p.setPen(Qt::NoPen);
    p.setBrush(Couleurs::encre(0.55));
    p.drawRoundedRect(QRectF(r.center() - QPointF(1.5, 9), QSizeF(3, 18)), 1.5, 1.5);
    p.restore();
}

void PisteCouper::peindreTemps(QPainter& p) const
{
    const QRectF r(0, cadre + espace, width(), ligne);
    const Chiffres& f = chiffresTemps();
    p.setPen(Couleurs::ardoise());
    f.dessiner(p, r, Qt::AlignLeft, VueCouper::minutes(p_.d0(), true));
    f.dessiner(p, r, Qt::AlignRight, VueCouper::minutes(p_.d1(), true));
    // "4,5 s gardées": the length in semibold ink, centred with its word.
    static const Chiffres gras(12.5, QFont::DemiBold);
    const QString longueur = VueCouper::duree(p_.d1() - p_.d0());
    const QString mot = tr(" gardées");
    const double a = gras.largeur(longueur), b = f.largeur(mot);
    const double x0 = (width() - a - b) / 2;
    p.setPen(Couleurs::encre());
    gras.dessiner(p, QRectF(x0, r.top(), a, r.height()), Qt::AlignLeft, longueur);
    p.setPen(Couleurs::ardoise());
    f.dessiner(p, QRectF(x0 + a, r.top(), b, r.height()), Qt::AlignLeft, mot);
}

void PisteCouper::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRectF r = piste();
    peindreBande(p, r);

    const double xd = p_.duree() > 0 ? x(p_.d0()) : r.left(), xf = p_.duree() > 0 ? x(p_.d1()) : r.right();
    const QColor voile(250, 250, 250, 184);
    p.fillRect(QRectF(r.left(), r.top(), std::max(xd - r.left(), 0.0), r.height()), voile);
    p.fillRect(QRectF(xf, r.top(), std::max(r.right() - xf, 0.0), r.height()), voile);
    const double large = std::max(xf - xd, 0.0);
    p.fillRect(QRectF(xd, r.top(), large, 3), Couleurs::tilleul0());
    p.fillRect(QRectF(xd, r.bottom() - 3, large, 3), Couleurs::tilleul1());

    peindrePoignee(p, Passage::Bout::debut);
    peindrePoignee(p, Passage::Bout::fin);

    if ((p_.lit() || tenue_) && p_.duree() > 0) {
        const QRectF tete(x(p_.pos()) - 1, r.top() - 6, 2, r.height() + 12);
        QPainterPath forme;
        forme.addRoundedRect(tete, 1, 1);
        Roue::Effets::dessiner(p, {forme, 0, QColor(0, 0, 0, 89), 1, {}});
        p.fillPath(forme, Qt::white);
    }
    peindreTemps(p);
}

void PisteCouper::tenir(Passage::Bout bout, double xPointeur)
{
    const QRectF r = piste();
    p_.tenir(bout, (xPointeur - r.left()) / r.width());
}

void PisteCouper::mousePressEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton || !p_.pret())
        return;
    // The end handle is drawn last, so it is the one under the pointer where both are.
    for (Passage::Bout b : {Passage::Bout::fin, Passage::Bout::debut}) {
        if (!poignee(b).contains(e->position()))
            continue;
        tenue_ = b;
        const Mouvement m = reduire_ ? Mouvement::immediat() : Mouvement::par(Ressort{0.25, 0.6});
        (b == Passage::Bout::debut ? echelleDebut_ : echelleFin_).aller(1.08, m, animateur_);
        tenir(b, e->position().x());
        return;
    }
}

void PisteCouper::mouseMoveEvent(QMouseEvent* e)
{
    if (!tenue_) {
        const bool sur = p_.pret() && (poignee(Passage::Bout::debut).contains(e->position())
                                       || poignee(Passage::Bout::fin).contains(e->position()));
        setCursor(sur ? Qt::SizeHorCursor : Qt::ArrowCursor);
        return;
    }
    tenir(*tenue_, e->position().x());
}

void PisteCouper::mouseReleaseEvent(QMouseEvent*)
{
    if (!tenue_)
        return;
    const Mouvement m = reduire_ ? Mouvement::immediat() : Mouvement::par(Ressort{0.25, 0.6});
    (*tenue_ == Passage::Bout::debut ? echelleDebut_ : echelleFin_).aller(1, m, animateur_);
    tenue_.reset();
    update();
}
