#pragma once

#include <QImage>
#include <QString>
#include <memory>

class QPdfDocument;

namespace Conversions {

// The largest page image we make: a page beyond it (an A0 poster is 140 million pixels
// at 300 dpi) would take gigabytes.
inline constexpr double pixelsDePageAuPlus = 150e6;

// A PDF opened for drawing and for its text. Blocking; one thread at a time.
class PdfRendu {
public:
    // Erreur::lecture with the file's name when the reader refuses it (a password it
    // does not have included) or finds no page.
    explicit PdfRendu(const QString& chemin);
    ~PdfRendu();
    PdfRendu(const PdfRendu&) = delete;
    PdfRendu& operator=(const PdfRendu&) = delete;

    int pages() const;
    // The text layer of page `index` (from 0), lines ending in "\n".
    QString texte(int index) const;
    // The pixel size of page `index` at 300 dpi: points × 300 / 72, truncated.
    QSize taille(int index) const;
    // Page `index` at 300 dpi on transparency (ARGB, not premultiplied), for
    // poserSurBlanc(). Erreur::lecture when the page is empty, too large to draw or
    // cannot be drawn.
    QImage dessiner(int index) const;
    // The same on white, RGBX 8 bits.
    QImage rendre(int index) const;

private:
    std::unique_ptr<QPdfDocument> document_;
    QString nom_;
};

// A page drawn on transparency (ARGB, not premultiplied) turned, in place, into
// RGBX on white.
void poserSurBlanc(QImage& page);

} // namespace Conversions
