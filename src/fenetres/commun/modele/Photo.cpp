#include "fenetres/commun/modele/Photo.h"

#include "conversions/images/Images.h"
#include "conversions/Journaux.h"
#include "fenetres/commun/modele/Echecs.h"

namespace {

// Twice the canvas on a high-density screen.
constexpr QSize cadreApercu(1400, 900);

} // namespace

Photo Photo::charger(const QString& url)
{
    Photo p;
    try {
        p.image = Conversions::redressee(url);
        p.apercu = reduire(p.image);
    } catch (const std::exception& e) {
        Echecs::journaliser(Conversions::journalImages(), url, e);
        p = {};
    }
    return p;
}

QImage Photo::reduire(const QImage& image)
{
    if (image.width() <= cadreApercu.width() && image.height() <= cadreApercu.height())
        return image;
    return image.scaled(cadreApercu, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}
