// A transparent PNG cut short, at every length, is refused: libpng had let some through as
// black pixels once an earlier file had failed in the same process.

#include "conversions/images/images_fabrique.h"

using namespace essais;

namespace {

TEST(PngCoupe, UnPngTransparentCoupeNeDevientPasNoir)
{
    QImage petite(1, 1, QImage::Format_ARGB32);
    petite.fill(Qt::transparent);
    QImage grande(40, 40, QImage::Format_ARGB32);
    grande.fill(Qt::transparent);
    QImage palette(40, 40, QImage::Format_Indexed8);
    palette.setColorTable({qRgba(0, 0, 0, 0), qRgba(0, 0, 0, 255)});
    palette.fill(0);
    for (const QImage& image : {petite, grande, palette}) {
        Dossier modele;
        const QByteArray png = lire(ecrire(modele, "x.png", image));
        // Every length of the smallest file; a sample of the others.
        for (qsizetype longueur = 33; longueur < png.size(); longueur += png.size() > 100 ? 7 : 1)
            for (const char* id : {"jpg", "pdf"}) {
                SCOPED_TRACE(std::to_string(image.width()) + " " + std::to_string(image.format()) + " "
                             + std::to_string(longueur) + " " + id);
                Dossier d;
                const QString source = d.ecrire("coupee.png", png.left(longueur));
                echoue(d, {source}, id, {illisible("coupee.png")});
            }
    }
}

} // namespace
