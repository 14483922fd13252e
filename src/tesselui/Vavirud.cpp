#include "tesselui/Vavirud.h"

#include "designtokens/Tokens.h"
#include "tesselui/Guillemets.h"

#include <QFontMetricsF>
#include <QHash>
#include <QMutex>
#include <QMutexLocker>
#include <QPainter>
#include <QTextLayout>
#include <algorithm>
#include <charconv>
#include <cmath>

namespace Vavirud {

Cache& cacheInter()
{
    static Cache c;
    return c;
}

static QString nombre(double v)
{
    char tampon[64];
    const auto [fin, ec] = std::to_chars(tampon, tampon + sizeof tampon, v);
    QString s = QString::fromLatin1(tampon, ec == std::errc() ? int(fin - tampon) : 0);
    if (!s.contains(QLatin1Char('.')) && !s.contains(QLatin1Char('e')) && !s.contains(QLatin1Char('n')))
        s += QStringLiteral(".0");
    return s;
}

QString cle(double taille, double poids) { return nombre(taille) + QLatin1Char('-') + nombre(poids); }

QFont depuis(Cache& cache, const QString& famille, double taille, double poids)
{
    const QString k = cle(taille, poids);
    QMutexLocker verrou(&cache.verrou);
    if (auto it = cache.polices.constFind(k); it != cache.polices.cend())
        return *it;
    QFont f(famille);
    // Zero, negative or absurd sizes still give a drawable font.
    const double px = std::isfinite(taille) ? std::clamp(taille, 1.0, 4096.0) : 13.0;
    f.setPixelSize(std::max(1, int(std::lround(px))));
    f.setWeight(QFont::Weight(std::clamp(std::isfinite(poids) ? int(std::lround(poids)) : 400, 1, 1000)));
    f.setHintingPreference(QFont::PreferNoHinting);
    cache.polices.insert(k, f);
    return f;
}

QFont police(double taille, double poids)
{
    return depuis(cacheInter(), QString::fromLatin1(Tokens::Typography::family), taille, poids);
}

QFont texte(double taille, double poids)
{
    QFont f = police(taille, poids);
    f.setLetterSpacing(QFont::AbsoluteSpacing, f.pixelSize() * Tokens::Typography::tracking);
    return f;
}

QString elide(const QFont& f, const QString& texte, double largeur)
{
    const QFontMetricsF m(f);
    const QString t = texte.simplified();
    return m.horizontalAdvance(t) <= largeur + 0.5 ? t : m.elidedText(t, Qt::ElideRight, std::max(0.0, largeur));
}

namespace {

QTextLayout* disposer(QTextLayout& l, double largeur)
{
    QTextOption o;
    o.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    l.setTextOption(o);
    l.beginLayout();
    double y = 0;
    for (QTextLine ligne = l.createLine(); ligne.isValid(); ligne = l.createLine()) {
        ligne.setLineWidth(std::max(1.0, largeur));
        ligne.setPosition(QPointF(0, y));
        y += ligne.height();
    }
    l.endLayout();
    return &l;
}

} // namespace

double hauteurParagraphe(const QFont& f, const QString& texte, double largeur)
{
    if (texte.isEmpty())
        return 0;
    QTextLayout l(Guillemets::insecables(texte), f);
    return disposer(l, largeur)->boundingRect().height();
}

double largeurParagraphe(const QFont& f, const QString& texte, double largeur)
{
    QTextLayout l(Guillemets::insecables(texte), f);
    disposer(l, largeur);
    double w = 0;
    for (int i = 0; i < l.lineCount(); ++i)
        w = std::max(w, l.lineAt(i).naturalTextWidth());
    return w;
}

void peindreParagraphe(QPainter& p, const QFont& f, const QRectF& zone, const QString& texte)
{
    QTextLayout l(Guillemets::insecables(texte), f);
    disposer(l, zone.width());
    p.save();
    p.setClipRect(zone, Qt::IntersectClip);
    l.draw(&p, zone.topLeft());
    p.restore();
}

QFont caption() { static const QFont f = police(13, 400); return f; }
QFont body() { static const QFont f = police(15, 400); return f; }
QFont subheading() { static const QFont f = police(20, 350); return f; }
QFont heading() { static const QFont f = police(30, 350); return f; }
QFont headingLarge() { static const QFont f = police(64, 350); return f; }

} // namespace Vavirud
