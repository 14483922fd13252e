#pragma once

#include <QImage>
#include <QList>
#include <QSizeF>
#include <QString>
#include <QStringList>

#include "conversions/Conversions.h"

#include <mutex>

// Samples and outside readers shared by the PDF suites.
namespace PdfOutils {

// A PDF whose page i has size tailles[i] in points and shows textes[i] (when not empty)
// as real text, large enough to read.
QString pdf(const QString& chemin, const QList<QSizeF>& tailles, const QStringList& textes);
// A PDF without a text layer: each page is a picture of its text (a scan).
QString scan(const QString& chemin, const QStringList& textes);
// `source` with, over every page, a text layer that holds only blanks (as some
// scanners leave), laid by the qpdf command line.
QString avecCoucheDeBlancs(const QString& source, const QString& cible);
// A one-page PDF with a filled form field "nom" (written by hand).
QString formulaire(const QString& chemin);
// The form fields as qpdf's JSON lists them, "full name=value".
QStringList champsDeFormulaire(const QString& pdf);
// The same document encrypted by the qpdf command line (AES-256).
QString chiffrer(const QString& source, const QString& cible, const QString& utilisateur,
                 const QString& proprietaire);

// pdfinfo's "Pages:"; -1 when pdfinfo refuses the file.
int pages(const QString& pdf);
// pdfinfo's size of page `page` (from 1) in points.
QSizeF taillePage(const QString& pdf, int page);
// One field of pdfinfo ("Encrypted", …).
QString champ(const QString& pdf, const QString& nom, int page = 0);
// qpdf --check: true when the file has no error nor warning.
bool intact(const QString& pdf);
// pdftotext of the whole file, or of page `page` only (from 1).
QString texte(const QString& pdf, int page = 0);
// The page drawn by pdftoppm at `dpi`, as an image.
QImage rendu(const QString& pdf, int page, int dpi);
// vipsheader's width × height.
QSize tailleImage(const QString& image);

// Progress calls, which may come from any thread.
struct Releve {
    std::mutex verrou;
    QList<double> valeurs;
    Conversions::Progression rappel();
};

} // namespace PdfOutils
