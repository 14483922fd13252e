#include "tesselui/Icone.h"

#include "tesselui/Paquet.h"
#include "tesselui/Symboles.h"

#include <QCache>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QSvgRenderer>
#include <algorithm>
#include <cmath>

namespace Icone {

bool systeme(const QString& nom)
{
    static const QStringList fixes{QStringLiteral("circle"), QStringLiteral("square"), QStringLiteral("app"),
                                   QStringLiteral("rectangle.portrait")};
    return nom.contains(QLatin1Char('.')) || fixes.contains(nom);
}

QString fichier(const QString& nom)
{
    if (nom.isEmpty() || nom.contains(QLatin1Char('/')))
        return {};
    if (systeme(nom))
        return Symboles::fichier(nom);
    const QString module = Paquet::module(QStringLiteral("Tessel_TesselUI.bundle")) + QStringLiteral("/Icons/flex-")
                         + nom + QStringLiteral(".svg");
    if (QFileInfo::exists(module))
        return module;
    const QString principal = Paquet::principal() + QStringLiteral("/icones/") + nom + QStringLiteral(".svg");
    if (QFileInfo::exists(principal))
        return principal;
    // The wheel's plain symbol names ("photo", "waveform"…) have no asset: the table has them.
    return Symboles::fichier(nom);
}

QByteArray svg(const QString& chemin)
{
    QFile f(chemin);
    if (chemin.isEmpty() || !f.open(QIODevice::ReadOnly))
        return {};
    QByteArray octets = f.readAll();
    octets.replace("currentColor", "#000000");
    return octets;
}

QImage teinte(const QByteArray& svg, double cote, const QColor& couleur, double echelle)
{
    QSvgRenderer rendu(svg);
    if (!rendu.isValid() || !(cote > 0) || !(echelle > 0))
        return {};
    const int px = std::clamp(int(std::ceil(cote * echelle)), 1, 2048);
    QImage im(px, px, QImage::Format_ARGB32_Premultiplied);
    im.fill(Qt::transparent);
    {
        QPainter p(&im);
        p.setRenderHint(QPainter::Antialiasing);
        rendu.render(&p, QRectF(0, 0, px, px));
        p.setCompositionMode(QPainter::CompositionMode_SourceIn);
        p.fillRect(im.rect(), couleur);
    }
    im.setDevicePixelRatio(echelle);
    return im;
}

QImage image(const QString& nom, double cote, const QColor& couleur, double echelle)
{
    static QCache<QString, QImage> cache(256);  // the wheel draws its symbols through it too
    const QString cle = QStringLiteral("%1|%2|%3|%4").arg(nom).arg(cote).arg(couleur.rgba()).arg(echelle);
    if (const QImage* i = cache.object(cle))
        return *i;
    const QByteArray octets = svg(fichier(nom));
    if (octets.isEmpty())
        return {};
    QImage im = teinte(octets, cote, couleur, echelle);
    cache.insert(cle, new QImage(im));
    return im;
}

} // namespace Icone
