#pragma once

#include "conversions/Erreur.h"
#include "conversions/Progression.h"


namespace Conversions {

// One page per image, in order.
QString imagesEnPDF(const QStringList& images);
// Images and PDFs merged into one PDF, in the order given.
QString reunir(const QStringList& chemins, const Progression& progression);
// A PDF to page images ("jpg", "png"), text ("txt") or Word ("docx").
QStringList pdf(const QString& source, const QString& id);
// One PDF per page.
QStringList separer(const QString& source);

// What follows the base name in the files of page `numero` (from 1): " page 2".
QString nomDePage(int numero);
} // namespace Conversions
