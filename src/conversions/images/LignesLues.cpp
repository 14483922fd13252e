#include "conversions/images/LignesLues.h"

#include "conversions/Erreur.h"
#include "conversions/images/Images.h"
#include "conversions/images/Ocr.h"

#include <QCoreApplication>
#include <memory>
#include <tesseract/baseapi.h>
#include <tesseract/resultiterator.h>

namespace Conversions {

namespace {

QList<LigneLue> parcourir(tesseract::ResultIterator& it)
{
    constexpr auto signe = tesseract::RIL_SYMBOL;
    QList<LigneLue> lignes;
    do {
        if (it.Empty(signe))
            continue;
        if (lignes.isEmpty() || it.IsAtBeginningOf(tesseract::RIL_TEXTLINE))
            lignes.append(LigneLue{});
        LigneLue& ligne = lignes.last();
        if (!ligne.texte.isEmpty() && it.IsAtBeginningOf(tesseract::RIL_WORD)) {
            ligne.texte.append(QLatin1Char(' '));
            ligne.boites.append(QRect());
        }
        std::unique_ptr<char[]> brut(it.GetUTF8Text(signe));
        int g = 0, h = 0, d = 0, b = 0;
        if (!brut || !it.BoundingBox(signe, &g, &h, &d, &b))
            continue;
        // A symbol may be several characters (a ligature): each gets the symbol's box.
        const QString texte = QString::fromUtf8(brut.get());
        ligne.texte.append(texte);
        for (qsizetype i = 0; i < texte.size(); ++i)
            ligne.boites.append(QRect(QPoint(g, h), QPoint(d - 1, b - 1)));
    } while (it.Next(signe));
    return lignes;
}

} // namespace

QList<LigneLue> lireLignes(const QImage& image)
{
    if (image.isNull())
        return {};
    const QImage gris = (image.hasAlphaChannel() ? aplatir(image) : image).convertToFormat(QImage::Format_Grayscale8);
    QList<LigneLue> lignes;
    avecReconnaissance([&](tesseract::TessBaseAPI& api) {
        api.SetImage(gris.constBits(), gris.width(), gris.height(), 1, static_cast<int>(gris.bytesPerLine()));
        api.SetSourceResolution(300);
        if (api.Recognize(nullptr) != 0)
            throw Erreur::rien(QCoreApplication::translate("Conversions", "La reconnaissance de texte a échoué"));
        std::unique_ptr<tesseract::ResultIterator> it(api.GetIterator());
        if (it)
            lignes = parcourir(*it);
    });
    return lignes;
}

} // namespace Conversions
