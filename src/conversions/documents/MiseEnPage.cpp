#include "conversions/documents/Documents.h"

#include "conversions/Erreur.h"

#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QGuiApplication>
#include <QScreen>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <memory>
#include <vector>

namespace Conversions {

namespace {

constexpr double marge = margeA4;
// Device units per point: fine enough that glyph positions are not rounded to whole points.
constexpr int resolution = 720;
constexpr double k = resolution / 72.0;

// Pictures are sized in points; Qt's layout takes image sizes in pixels of the screen's
// resolution and scales them to the paint device's.
void imagesALEchelle(QTextDocument* texte)
{
    const QScreen* ecran = QGuiApplication::primaryScreen();
    const double facteur = (ecran ? qRound(ecran->logicalDotsPerInchY()) : 100) / 72.0;
    struct Image {
        int debut, longueur;
        QTextImageFormat format;
    };
    std::vector<Image> images;  // listed first: a change may join fragments
    for (QTextBlock b = texte->begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it)
            if (const QTextFragment f = it.fragment(); f.charFormat().isImageFormat())
                images.push_back({f.position(), f.length(), f.charFormat().toImageFormat()});
    QTextCursor c(texte);
    c.beginEditBlock();
    for (Image& i : images) {
        i.format.setWidth(i.format.width() * facteur);
        i.format.setHeight(i.format.height() * facteur);
        c.setPosition(i.debut);
        c.setPosition(i.debut + i.longueur, QTextCursor::KeepAnchor);
        c.setCharFormat(i.format);
    }
    c.endEditBlock();
}

} // namespace

void enPDF(const QTextDocument& texte, const QString& destination)
{
    const QString nom = QFileInfo(destination).fileName();
    std::unique_ptr<QTextDocument> copie(texte.clone());

    // Qt's PDF writer never says that its file refused bytes: the file says it itself.
    QFile fichier(destination);
    if (!fichier.open(QIODevice::WriteOnly))
        throw Erreur::ecriture(nom);
    QPdfWriter ecrivain(&fichier);
    ecrivain.setResolution(resolution);
    ecrivain.setCreator(QStringLiteral("Vemo Vododod"));
    const QPageSize a4(QSizeF(largeurA4, hauteurA4), QPageSize::Point, QString(), QPageSize::ExactMatch);
    if (!ecrivain.setPageLayout(QPageLayout(a4, QPageLayout::Portrait, QMarginsF())))
        throw Erreur::ecriture(nom);

    imagesALEchelle(copie.get());
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
    if (!peintre.end() || !fichier.flush() || fichier.error() != QFileDevice::NoError)
        throw Erreur::ecriture(nom);
    fichier.close();
}

} // namespace Conversions
