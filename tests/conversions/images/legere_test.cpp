// A lighter copy must be lighter: an image that does not shrink is left alone, with a
// message, and nothing is written.

#include "conversions/images/images_fabrique.h"

using namespace essais;

namespace {

TEST(Legere, UneImageDejaLegereNeDonneRien)
{
    Dossier d;
    // Small and already strongly compressed by libvips: re-encoding at quality 75 only adds bytes.
    const QString png = ecrire(d, "modele.png", texture(320, 200, 5));
    const QString jpg = d.chemin("vignette.jpg");
    sortieDe("vips", {"jpegsave", png, jpg, "--Q", "30", "--optimize-coding", "--strip"});
    QFile::remove(png);
    echoue(d, {jpg}, "leger", {QStringLiteral("« vignette.jpg » est déjà léger")});
}

} // namespace
