#include "conversions/pdf/PdfRendu.h"

#include "conversions/Chemins.h"
#include "conversions/Erreur.h"
#include "conversions/JournalMoteur.h"

#include <QFileInfo>
#include <QPdfDocument>
#include <QPdfSelection>
#include <cmath>

namespace Conversions {

namespace {

constexpr double echelle = 300.0 / 72.0;

QString raison(QPdfDocument::Error e)
{
    switch (e) {
    case QPdfDocument::Error::None: return QStringLiteral("aucune page");
    case QPdfDocument::Error::FileNotFound: return QStringLiteral("fichier introuvable");
    case QPdfDocument::Error::InvalidFileFormat: return QStringLiteral("format invalide");
    case QPdfDocument::Error::IncorrectPassword: return QStringLiteral("mot de passe demandé");
    case QPdfDocument::Error::UnsupportedSecurityScheme: return QStringLiteral("chiffrement non pris en charge");
    default: return QStringLiteral("erreur %1").arg(static_cast<int>(e));
    }
}

} // namespace

PdfRendu::PdfRendu(const QString& chemin)
    : document_(std::make_unique<QPdfDocument>()), nom_(nomDe(chemin))
{
    // A pipe or a device would keep the reader waiting for ever.
    if (!QFileInfo(chemin).isFile())
        throw Erreur::lecture(nom_);
    const QPdfDocument::Error e = document_->load(chemin);
    if (e != QPdfDocument::Error::None || document_->pageCount() < 1) {
        if (journalDetails)
            journalDetails(QStringLiteral("lecture du PDF %1 : %2").arg(chemin, raison(e)));
        throw Erreur::lecture(nom_);
    }
}

PdfRendu::~PdfRendu() = default;

int PdfRendu::pages() const { return document_->pageCount(); }

QString PdfRendu::texte(int index) const
{
    QString t = document_->getAllText(index).text();
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    // Control characters and non-characters are the reader's markers, not text.
    t.removeIf([](QChar c) {
        const char16_t u = c.unicode();
        return (u < 0x20 && u != u'\n' && u != u'\t') || u == 0xFFFE || u == 0xFFFF;
    });
    return t;
}

QSize PdfRendu::taille(int index) const
{
    const QSizeF points = document_->pagePointSize(index);
    return {static_cast<int>(std::floor(points.width() * echelle)),
            static_cast<int>(std::floor(points.height() * echelle))};
}

QImage PdfRendu::dessiner(int index) const
{
    const QSize pixels = taille(index);
    const double aire = static_cast<double>(pixels.width()) * pixels.height();
    if (pixels.width() < 1 || pixels.height() < 1 || aire > pixelsDePageAuPlus) {
        if (journalDetails)
            journalDetails(QStringLiteral("page %1 de %2 refusée : %3 × %4 pixels")
                               .arg(index + 1).arg(nom_).arg(pixels.width()).arg(pixels.height()));
        throw Erreur::lecture(nom_);
    }
    QPdfDocumentRenderOptions options;
    options.setRenderFlags(QPdfDocumentRenderOptions::RenderFlag::Annotations);
    QImage page = document_->render(index, pixels, options);
    if (page.isNull() || page.size() != pixels) {
        if (journalDetails)
            journalDetails(QStringLiteral("page %1 de %2 : le rendu a échoué").arg(index + 1).arg(nom_));
        throw Erreur::lecture(nom_);
    }
    return page;
}

QImage PdfRendu::rendre(int index) const
{
    QImage page = dessiner(index);
    poserSurBlanc(page);
    return page;
}

void poserSurBlanc(QImage& page)
{
    if (page.format() != QImage::Format_ARGB32)
        page = page.convertToFormat(QImage::Format_ARGB32);
    const int w = page.width();
    for (int y = 0; y < page.height(); ++y) {
        auto* p = reinterpret_cast<quint32*>(page.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const quint32 v = p[x];
            const quint32 a = v >> 24;
            quint32 r = (v >> 16) & 0xFF;
            quint32 g = (v >> 8) & 0xFF;
            quint32 b = v & 0xFF;
            if (a == 0) {
                p[x] = 0xFFFFFFFFu;
                continue;
            }
            if (a != 255) {
                const quint32 fond = 255 * (255 - a) + 127;
                r = (r * a + fond) / 255;
                g = (g * a + fond) / 255;
                b = (b * a + fond) / 255;
            }
            // RGBX in memory order, whatever the machine's byte order.
            auto* octets = reinterpret_cast<uchar*>(p + x);
            octets[0] = static_cast<uchar>(r);
            octets[1] = static_cast<uchar>(g);
            octets[2] = static_cast<uchar>(b);
            octets[3] = 255;
        }
    }
    page.reinterpretAsFormat(QImage::Format_RGBX8888);
}

} // namespace Conversions
