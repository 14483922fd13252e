#pragma once

#include "conversions/Erreur.h"
#include "conversions/Progression.h"

#include <QByteArray>
#include <QString>
#include <memory>

class QTextDocument;

namespace Conversions {

// A4 in points, and the margin around the text on every side.
constexpr double largeurA4 = 595, hauteurA4 = 842, margeA4 = 64;

// A text document to PDF ("pdf"), Word ("docx") or plain text ("txt").
QString document(const QString& source, const QString& id);

// The PDF library sits above: the dispatcher hands in, when the program starts, the pass that
// mends the text a reader gets back from a PDF written from `texte` (false: it failed).
using RetoucheDuPdf = bool (*)(const QString& pdf, const QString& texte);
void retoucherLesPdfAvec(RetoucheDuPdf retouche);

// Reads txt, text, md (always plain UTF-8), rtf, rtfd, doc, docx, odt into a rich text.
// Runs without a font get Helvetica 12. Any refusal is Erreur::lecture with the file's name.
std::unique_ptr<QTextDocument> lireDocument(const QString& source);

// Lays the text out into A4 pages (595 × 842 points, 64-point margins) written to
// `destination`, a path that the caller holds (a Sortie's temporaire()).
// An empty text gives one blank page. Throws Erreur::ecriture(destination's name).
void enPDF(const QTextDocument& texte, const QString& destination);

// The text as a Word (Office Open XML) document: paragraphs, runs with font, size, bold,
// italic, underline, colour. A form feed (U+000C) in the text, or a block that asks for a
// page break before it, becomes a page break.
QByteArray enWord(const QTextDocument& texte);
} // namespace Conversions
