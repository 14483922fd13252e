#include "tesselui/PillTabBar.h"

#include "tesselui/Icone.h"
#include "tesselui/Theme.h"

#include <QPainter>

namespace {

void capsule(QPainter& p, const QRectF& r, const QColor& c)
{
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    const double rayon = std::min(r.width(), r.height()) / 2;
    p.drawRoundedRect(r, rayon, rayon);
}

} // namespace

PillTabBar::PillTabBar(QList<Tab> tabs, bool details, QWidget* parent)
    : BarreACases(parent), tabs_(std::move(tabs)), details_(details)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setSelection(0);
}

QList<QRectF> PillTabBar::cases(int n, const QSizeF& barre)
{
    QList<QRectF> r;
    if (n <= 0)
        return r;
    constexpr double marge = 3, ecart = 2;
    const double w = std::max(0.0, (barre.width() - 2 * marge - ecart * (n - 1)) / n);
    const double h = std::max(26.0, barre.height() - 2 * marge);
    for (int i = 0; i < n; ++i)
        r << QRectF(marge + i * (w + ecart), marge, w, h);
    return r;
}

QSize PillTabBar::sizeHint() const { return {std::max(1, nombre()) * 48 + 6, 32}; }
QSize PillTabBar::minimumSizeHint() const { return {std::max(1, nombre()) * 28 + 6, 32}; }

void PillTabBar::peindreFond(QPainter& p, const QRectF& r) { capsule(p, r, Theme::de(Theme::panel(), this)); }

void PillTabBar::peindrePilule(QPainter& p, const QRectF& r) { capsule(p, r, Theme::de(Theme::ctaFill(), this)); }

void PillTabBar::peindreCase(QPainter& p, int i, const QRectF& r, bool choisi)
{
    const double cote = std::min({16.0, r.width() - 4, r.height() - 4}) * (choisi ? 1.08 : 1);
    if (cote <= 0)
        return;
    const QColor c = Theme::de(choisi ? Theme::ctaText() : Theme::inkMuted(), this);
    const QImage im = Icone::image(tabs_[i].icon, cote, c, devicePixelRatioF());
    if (!im.isNull())
        p.drawImage(QRectF(r.center().x() - cote / 2, r.center().y() - cote / 2, cote, cote), im);
}

std::optional<HintBubble> PillTabBar::hint(int i, double largeur) const
{
    if (!details_ || i < 0 || i >= nombre())
        return std::nullopt;
    return HintBubble{tabs_[i].label, tabs_[i].detail, std::nullopt, largeur};
}

QString PillTabBar::detailCase(int i) const
{
    // Without descriptions the hint is empty, for the pointer and for screen readers alike.
    return details_ && i >= 0 && i < nombre() ? tabs_[i].detail : QString();
}
