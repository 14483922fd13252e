#include "fenetres/retouches/Retouches.h"

#include "conversions/Chemins.h"
#include "conversions/sorties/FichierDeSortie.h"
#include "conversions/sorties/Sortie.h"
#include "conversions/images/Heif.h"
#include "conversions/images/Images.h"
#include "conversions/images/Png.h"
#include "conversions/images/Vips.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QHash>

using vips::VImage;

namespace Retouches {

namespace {

// The type a picture's extension names, empty for none.
QString typeDe(const QString& extension)
{
    static const QHash<QString, QString> types = {
        {QStringLiteral("jpg"), QStringLiteral("public.jpeg")},  {QStringLiteral("jpeg"), QStringLiteral("public.jpeg")},
        {QStringLiteral("jpe"), QStringLiteral("public.jpeg")},  {QStringLiteral("jfif"), QStringLiteral("public.jpeg")},
        {QStringLiteral("png"), QStringLiteral("public.png")},   {QStringLiteral("tif"), QStringLiteral("public.tiff")},
        {QStringLiteral("tiff"), QStringLiteral("public.tiff")}, {QStringLiteral("heic"), QStringLiteral("public.heic")},
        {QStringLiteral("heif"), QStringLiteral("public.heic")}, {QStringLiteral("avif"), QStringLiteral("public.avif")},
        {QStringLiteral("gif"), QStringLiteral("com.compuserve.gif")},
    };
    return types.value(extension);
}

// The picture as libvips sees it: sRGB, 8 bits, with alpha only when it has some. A view
// on `pixels`, which must outlive it.
VImage versVips(const QImage& pixels)
{
    const VImage vue = Conversions::depuisQImage(pixels).copy(
        VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
    return pixels.hasAlphaChannel() ? vue : vue.extract_band(0, VImage::option()->set("n", 3));
}

void ecrire(const VImage& image, const QString& type, const QString& chemin)
{
    const QByteArray c = Conversions::local(chemin);
    if (type == QLatin1String("public.jpeg"))
        Conversions::surBlanc(image).jpegsave(c.constData(), VImage::option()->set("Q", 92)->set("strip", true));
    else if (type == QLatin1String("public.tiff"))
        image.tiffsave(c.constData(), VImage::option()->set("compression", VIPS_FOREIGN_TIFF_COMPRESSION_DEFLATE)
                                          ->set("strip", true));
    else if (type == QLatin1String("public.heic") || type == QLatin1String("public.avif"))
        Conversions::ecrireHeif(image, chemin, 92, type == QLatin1String("public.avif"), 1);
    else if (type == QLatin1String("com.compuserve.gif"))
        image.gifsave(c.constData(), VImage::option()->set("strip", true));
    else
        Conversions::ecrirePng(image, chemin, true);
}

// The extension an edit of `source` is written under: the source's own when this build writes
// its type, else PNG's.
QString extensionEcrite(const QString& source)
{
    const QString extension = QFileInfo(source).suffix().toLower();
    if (extension == QLatin1String("webp"))
        return extension;
    const QString type = typeDe(extension);
    return type.isEmpty() || !Conversions::ecriture().contains(type) ? QStringLiteral("png") : extension;
}

QString suffixe(const QString& mot) { return QStringLiteral(" (") + mot + QLatin1Char(')'); }

} // namespace

QString enregistrer(const QImage& image, const QString& source, const QString& mot)
{
    // No picture to write (one too large to be made): the failure names the file it would have been.
    if (image.isNull())
        throw Conversions::Erreur::ecriture(Conversions::Sortie::apres(source, suffixe(mot), extensionEcrite(source)).nom());
    if (QFileInfo(source).suffix().toLower() == QLatin1String("webp")) {
        // Reserved first: a folder that cannot take it fails before the encoding.
        Conversions::Sortie sortie = Conversions::Sortie::apres(source, suffixe(mot), QStringLiteral("webp"));
        Conversions::ecrireDans(sortie, Conversions::webp(image, 90));
        return sortie.valider();
    }
    const QImage pixels = image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_RGBA8888
                                                                        : QImage::Format_RGBX8888);
    return enregistrer(versVips(pixels), source, mot);
}

QString enregistrer(const VImage& image, const QString& source, const QString& mot)
{
    if (QFileInfo(source).suffix().toLower() == QLatin1String("webp"))
        return enregistrer(Conversions::versQImage(image, !image.has_alpha()), source, mot);
    const QString extension = extensionEcrite(source);
    const QString type = typeDe(extension);
    Conversions::Sortie sortie = Conversions::Sortie::apres(source, suffixe(mot), extension);
    sortie.remplir([&] { Conversions::sousVips(source, sortie.chemin(), [&] { ecrire(image, type, sortie.temporaire()); }); });
    return sortie.valider();
}

} // namespace Retouches
