#include "tesselreverie/Ciel.h"

#include "tesselreverie/Reverie.h"

#include <QGraphicsEffect>
#include <QHBoxLayout>
#include <QHashFunctions>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace {

QColor rgb(std::uint32_t v) { return Couleur::qcolor(Tokens::RGB(v)); }

QColor aOpacite(QColor c, double a)
{
    c.setAlphaF(float(std::clamp(a, 0.0, 1.0)));
    return c;
}

bool sombre(const QWidget* w) { return Couleur::apparence(w->palette()) == Couleur::Apparence::sombre; }

} // namespace

Ciel::Ciel(QList<std::uint32_t> c, std::uint32_t l, std::uint32_t lb, std::uint32_t aplatJour, std::uint32_t aplatNuit)
    : clair(std::move(c)), lueur(l), lueurBas(lb), aplat(Reverie::teinte(aplatJour, aplatNuit))
{
}

size_t qHash(const Ciel& c, size_t graine)
{
    QtPrivate::QHashCombine h;
    graine = h(graine, c.clair.size());
    for (std::uint32_t v : c.clair)
        graine = h(graine, v);
    graine = h(graine, c.lueur);
    return h(graine, c.lueurBas);
}

QList<double> Ciel::arrets(int n)
{
    QList<double> a;
    for (int i = 0; i < n; ++i)
        a << (n == 3 && i == 1 ? 0.55 : double(i) / (std::max(n, 2) - 1));
    return a;
}

QLinearGradient Ciel::degrade(const QRectF& r) const
{
    QLinearGradient g(r.topLeft(), r.bottomRight());
    const QList<double> a = arrets(int(clair.size()));
    for (int i = 0; i < a.size(); ++i)
        g.setColorAt(a[i], rgb(clair[i]));
    return g;
}

void Ciel::peindreNuit(QPainter& p, const QRectF& r) const
{
    QLinearGradient fond(r.topLeft(), r.bottomRight());
    fond.setColorAt(0, rgb(0x121A2C));
    fond.setColorAt(0.55, rgb(0x151A30));
    fond.setColorAt(1, rgb(0x19172B));
    p.fillRect(r, fond);
    const auto halo = [&](QPointF centre, double rayon, std::uint32_t couleur, double opacite) {
        if (!(rayon > 0))
            return;
        QRadialGradient g(centre, rayon);
        g.setColorAt(0, aOpacite(rgb(couleur), opacite));
        g.setColorAt(1, aOpacite(rgb(couleur), 0));
        p.fillRect(r, g);
    };
    halo(QPointF(r.left() + 0.1 * r.width(), r.top()), rayonLueur(r.size()), lueur, 0.42);
    halo(QPointF(r.left() + 0.96 * r.width(), r.bottom()), rayonLueurBas(r.size()), lueurBas, 0.26);
}

QList<FondCiel::Nuage> FondCiel::nuages(const QSizeF& t, bool sombre)
{
    const QColor blanc = aOpacite(Qt::white, sombre ? 0.05 : 0.72);
    const double w = t.width(), h = t.height();
    const auto centre = [](QPointF c, double lw, double lh) { return QRectF(c.x() - lw / 2, c.y() - lh / 2, lw, lh); };
    return {{centre({0.2 * w - 60, 35}, 0.4 * w, 150), 28, blanc},
            {centre({0.67 * w, h - 5}, 0.34 * w, 130), 30, aOpacite(blanc, blanc.alphaF() * 0.85)}};
}

void FondCiel::peindre(QPainter& p, const QRectF& r, const Ciel& ciel, bool sombre, bool avecNuages)
{
    if (r.isEmpty())
        return;
    p.save();
    // Within any clip already set (a container's rounded corners), never in place of it.
    p.setClipRect(r, Qt::IntersectClip);
    p.setPen(Qt::NoPen);
    if (sombre)
        ciel.peindreNuit(p, r);
    else
        p.fillRect(r, ciel.clair.isEmpty() ? QBrush(Qt::transparent) : QBrush(ciel.degrade(r)));
    if (avecNuages) {
        p.setRenderHint(QPainter::Antialiasing);
        for (const Nuage& n : nuages(r.size(), sombre)) {
            const QRectF e = n.cadre.translated(r.topLeft());
            const double rx = e.width() / 2, ry = e.height() / 2;
            if (!(rx > 0) || !(ry > 0))
                continue;
            // A blurred ellipse: in the ellipse's unit circle, full colour until the blur
            // begins, then a soft fall over twice the blur radius.
            const double k = n.flou / std::min(rx, ry), R = 1 + k;
            QRadialGradient g(QPointF(0, 0), R);
            g.setColorAt(0, n.couleur);
            g.setColorAt(std::max(0.0, (1 - k) / R), n.couleur);
            g.setColorAt(std::max(0.0, 1 / R), aOpacite(n.couleur, n.couleur.alphaF() * 0.5));
            g.setColorAt(1, aOpacite(n.couleur, 0));
            p.save();
            p.translate(e.center());
            p.scale(rx, ry);
            p.setBrush(g);
            p.drawEllipse(QPointF(0, 0), R, R);
            p.restore();
        }
    }
    p.restore();
}

VueCiel::VueCiel(Ciel ciel, bool nuages, QWidget* parent) : QWidget(parent), ciel_(std::move(ciel)), nuages_(nuages) {}

void VueCiel::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    FondCiel::peindre(p, QRectF(rect()), ciel_, sombre(this), nuages_);
}

// The panel's whole picture, children included, laid down through its antialiased rounded
// outline: a picture or a filled child that reaches the edges keeps the corners round. The
// picture is made here, the sky then each child, so that the panel drawn alone (a snapshot)
// shows as it does inside its window.
class EncadreReverie::Decoupe : public QGraphicsEffect {
public:
    explicit Decoupe(EncadreReverie* e) : QGraphicsEffect(e), encadre_(e) {}

protected:
    void draw(QPainter* p) override
    {
        const QSize taille = encadre_->size();
        if (taille.isEmpty())
            return;
        const double echelle = p->device() ? p->device()->devicePixelRatioF() : 1;
        QPixmap image(taille * echelle);
        image.setDevicePixelRatio(echelle);
        image.fill(Qt::transparent);
        {
            QPainter q(&image);
            encadre_->peindreCiel(q);
        }
        for (QObject* o : encadre_->children())
            if (auto* w = qobject_cast<QWidget*>(o); w && !w->isWindow() && w->isVisibleTo(encadre_))
                w->render(&image, w->pos(), QRegion(), QWidget::DrawChildren);
        p->save();
        p->setRenderHint(QPainter::Antialiasing);
        p->setClipPath(forme(QSizeF(taille), encadre_->rayon()), Qt::IntersectClip);
        p->drawPixmap(QPointF(0, 0), image);
        p->restore();
    }

private:
    EncadreReverie* encadre_;
};

QPainterPath EncadreReverie::forme(const QSizeF& taille, double rayon)
{
    QPainterPath f;
    f.addRoundedRect(QRectF(QPointF(0, 0), taille), rayon, rayon);
    return f;
}

EncadreReverie::EncadreReverie(Ciel ciel, QWidget* contenu, double hauteurMin, double rayon, QWidget* parent)
    : QWidget(parent), ciel_(std::move(ciel)), rayon_(std::max(0.0, rayon))
{
    setGraphicsEffect(new Decoupe(this));
    auto* l = new QHBoxLayout(this);
    l->setContentsMargins(0, 0, 0, 0);
    if (contenu)
        l->addWidget(contenu, 1, Qt::AlignLeft | Qt::AlignVCenter);
    setMinimumHeight(int(std::clamp(hauteurMin, 0.0, 16777215.0)));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
}

void EncadreReverie::peindreCiel(QPainter& p) const
{
    p.setRenderHint(QPainter::Antialiasing);
    p.setClipPath(forme(QSizeF(size()), rayon_));
    FondCiel::peindre(p, QRectF(rect()), ciel_, sombre(this));
}

void EncadreReverie::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    peindreCiel(p);
}

PastilleCiel::PastilleCiel(QWidget* contenu, QWidget* parent) : QWidget(parent)
{
    auto* l = new QHBoxLayout(this);
    l->setContentsMargins(11, 5, 11, 5);
    if (contenu)
        l->addWidget(contenu);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void PastilleCiel::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(fond(sombre(this)));
    const double r = height() / 2.0;
    p.drawRoundedRect(QRectF(rect()), r, r);
}

void carteReverie(QPainter& p, const QRectF& r, double rayon, const QPalette& palette)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(Reverie::papier().pour(palette));
    QColor bord = Reverie::encre().pour(palette);
    bord.setAlphaF(0.06f);
    p.setPen(QPen(bord, 1));
    p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), rayon, rayon);
    p.restore();
}
