#include "conversions/documents/Documents.h"

#include "conversions/Erreur.h"
#include "conversions/sorties/FichierDeSortie.h"

#include <QAbstractTextDocumentLayout>
#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextObjectInterface>
#include <QUrl>

#include <memory>

namespace Conversions {

namespace {

constexpr double marge = margeA4;
// Device units per point: fine enough that glyph positions are not rounded to whole points.
constexpr int resolution = 720;
constexpr double k = resolution / 72.0;

// Pictures at their size in points, whatever the screens: Qt's own handler sizes them in
// pixels of the primary screen, which an engine thread must not read (a screen unplugged
// meanwhile is deleted under it).
class ImagesEnPoints : public QObject, public QTextObjectInterface {
    Q_OBJECT
    Q_INTERFACES(QTextObjectInterface)

public:
    QSizeF intrinsicSize(QTextDocument* document, int, const QTextFormat& format) override
    {
        const QTextImageFormat image = format.toImageFormat();
        QSizeF points(image.width(), image.height());
        if (!points.isValid() || points.isEmpty()) {
            // A picture without a size of its own: a pixel for a point at 96 dpi, as the
            // readers size theirs.
            points = QSizeF(lire(document, image).size()) * 0.75;
        }
        return points * k;
    }

    void drawObject(QPainter* peintre, const QRectF& rect, QTextDocument* document, int, const QTextFormat& format) override
    {
        const QImage image = lire(document, format.toImageFormat());
        if (!image.isNull())
            peintre->drawImage(rect, image);
    }

private:
    static QImage lire(QTextDocument* document, const QTextImageFormat& format)
    {
        const QVariant ressource = document->resource(QTextDocument::ImageResource, QUrl(format.name()));
        if (ressource.typeId() == QMetaType::QImage)
            return ressource.value<QImage>();
        return QImage::fromData(ressource.toByteArray());
    }
};

// Qt's PDF writer never says that its file refused bytes: they go through a checked file,
// which says why at its close (a full disk as such).
class VersLeFichier : public QIODevice {
public:
    explicit VersLeFichier(FichierDeSortie& fichier) : fichier_(fichier) { open(QIODevice::WriteOnly | QIODevice::Unbuffered); }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* octets, qint64 taille) override
    {
        return fichier_.essayer(octets, static_cast<size_t>(taille)) ? taille : -1;
    }

private:
    FichierDeSortie& fichier_;
};

} // namespace

void enPDF(const QTextDocument& texte, const QString& destination)
{
    const QString nom = QFileInfo(destination).fileName();
    std::unique_ptr<QTextDocument> copie(texte.clone());

    FichierDeSortie fichier(destination, nom);
    VersLeFichier appareil(fichier);
    QPdfWriter ecrivain(&appareil);
    ecrivain.setResolution(resolution);
    ecrivain.setCreator(QStringLiteral("Vemo Vododod"));
    const QPageSize a4(QSizeF(largeurA4, hauteurA4), QPageSize::Point, QString(), QPageSize::ExactMatch);
    if (!ecrivain.setPageLayout(QPageLayout(a4, QPageLayout::Portrait, QMarginsF())))
        throw Erreur::ecriture(nom);

    ImagesEnPoints images;
    copie->documentLayout()->registerHandler(QTextFormat::ImageObject, &images);
    copie->documentLayout()->setPaintDevice(&ecrivain);
    copie->setDocumentMargin(0);
    const QSizeF cadre((largeurA4 - 2 * marge) * k, (hauteurA4 - 2 * marge) * k);
    copie->setPageSize(cadre);
    const int pages = qMax(1, copie->pageCount());

    QPainter peintre;
    if (!peintre.begin(&ecrivain))
        throw Erreur::ecriture(nom);
    QAbstractTextDocumentLayout::PaintContext contexte;
    // The text's own colours, black elsewhere, whatever the desktop's theme.
    contexte.palette.setColor(QPalette::Text, Qt::black);
    for (int i = 0; i < pages; ++i) {
        if (i > 0 && !ecrivain.newPage())
            throw Erreur::ecriture(nom);
        peintre.fillRect(QRectF(0, 0, largeurA4 * k, hauteurA4 * k), Qt::white);
        peintre.save();
        peintre.translate(marge * k, marge * k - i * cadre.height());
        const QRectF page(QPointF(0, i * cadre.height()), cadre);
        peintre.setClipRect(page);
        // Lines touching the frame's edge from the next page are skipped, not just hidden,
        // so that no line's text is in the file twice.
        contexte.clip = page.adjusted(0, 1, 0, -1);
        copie->documentLayout()->draw(&peintre, contexte);
        peintre.restore();
    }
    const bool fini = peintre.end();
    fichier.fermer();
    if (!fini)
        throw Erreur::ecriture(nom);
}

} // namespace Conversions

#include "MiseEnPage.moc"
