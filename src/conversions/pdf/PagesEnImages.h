#pragma once

#include <QImage>
#include <QString>
#include <QStringList>

namespace Conversions {

class PdfRendu;
class Sortie;

// Writes a page image (RGB on white) as "jpg" (quality 90) or "png" (fast filter) into
// the output's temporary file. Erreur::ecriture with the output's name on failure.
void ecrirePage(const QImage& page, const QString& format, Sortie& sortie);

// Every page of `pdf` drawn and written as `cible` beside `source` (JPEG by poppler
// itself, quality 90; PNG here with the fast filter), several pages at once
// on the idle cores. The files keep their page names whatever order they finish in, and
// come into place together once all are written; when a page fails, none is kept and its
// own failure is thrown. Returns the final paths in page order.
QStringList pagesEnImages(const QString& source, const PdfRendu& pdf, const QString& cible);

} // namespace Conversions
