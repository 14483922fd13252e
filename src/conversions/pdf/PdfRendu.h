#pragma once

#include <QImage>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

class QPDF;

namespace Conversions {

class DossierDeTravail;

// The largest page image we make: a page beyond it (an A0 poster is 140 million pixels
// at 300 dpi) would take gigabytes.
inline constexpr double pixelsDePageAuPlus = 150e6;

// A PDF opened for drawing and for its text. qpdf reads its structure (pages, sizes,
// password); poppler's tools draw pages and read text, one child process per call, so
// several pages draw at once and none can hang or crash the engine. A damaged document
// that qpdf had to rebuild is drawn from the copy qpdf writes of it.
// Every method but the constructor may be called from several threads at once.
class PdfRendu {
public:
    // Erreur::protege when a password is needed, Erreur::lecture with the file's name
    // when qpdf refuses the file or finds no page.
    explicit PdfRendu(const QString& chemin);
    ~PdfRendu();
    PdfRendu(const PdfRendu&) = delete;
    PdfRendu& operator=(const PdfRendu&) = delete;

    int pages() const { return static_cast<int>(dessins_.size()); }
    // The pixel size of page `index` (from 0) as drawn: its visible box in points, turned
    // as the page says, × resolution(index) / 72, truncated.
    QSize taille(int index) const { return dessins_[static_cast<size_t>(index)].pixels; }
    // The resolution page `index` is drawn at, in dots per inch: 300, or the largest below
    // it that keeps the page within pixelsDePageAuPlus.
    int resolution(int index) const { return dessins_[static_cast<size_t>(index)].resolution; }
    // The text layer of every page, as pdftotext reads it (logical order, also for
    // right-to-left scripts); a page without text gives an empty string.
    QStringList textes() const;
    // Page `index` at its resolution on white (RGB, 8 bits). Erreur::lecture when the page
    // is empty, cannot be drawn, or takes too long.
    QImage rendre(int index) const;
    // Pages `premiere` onwards (from 0), one per path, all of one size, written by poppler
    // as JPEGs of quality 90 at `chemins`, which end in ".jpg": one process for the run,
    // and no image crosses between processes. On failure none of them is left.
    void rendreEnJpeg(int premiere, const QStringList& chemins) const;

private:
    // Draws from now on from the copy qpdf writes of what it read.
    void reparer(QPDF& document);
    // pdftoppm's arguments for page `index` at its resolution, cut to its size in pixels;
    // the same failure as rendre() for an empty page.
    QStringList argumentsDePage(int index) const;

    QString nom_;
    // What poppler reads: the file itself, or its rebuilt copy in `reparation_`.
    QString lu_;
    std::unique_ptr<DossierDeTravail> reparation_;
    struct Dessin {
        QSize pixels;
        int resolution;
    };
    std::vector<Dessin> dessins_;
};

} // namespace Conversions
