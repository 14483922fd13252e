#include "fenetres/commun/modele/Toile.h"

#include <algorithm>

Toile Toile::ajuster(QSizeF toile, QSizeF image)
{
    if (image.isEmpty())
        image = QSizeF(1, 1);
    const double k = std::min((toile.width() - 24) / image.width(), (toile.height() - 24) / image.height());
    return {k, QPointF((toile.width() - k * image.width()) / 2, (toile.height() - k * image.height()) / 2), image};
}

QPointF Toile::versImage(QPointF p) const
{
    const QPointF q = versPhoto(p);
    return {std::clamp(q.x(), 0.0, image.width()), std::clamp(q.y(), 0.0, image.height())};
}
