#include "roue/Rendu.h"

#include "roue/VueRoue.h"

#include <QPainter>
#include <cmath>

namespace Roue {

QImage rendre(EtatRoue& etat, bool sombre, double echelle, const QColor& fond)
{
    VueRoue vue(etat);
    vue.setSombre(sombre);
    vue.stabiliser();
    const int cote = int(std::lround(vue.width() * echelle));
    QImage image(cote, cote, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(echelle);
    image.fill(fond);
    QPainter p(&image);
    vue.peindre(p);
    return image;
}

} // namespace Roue
