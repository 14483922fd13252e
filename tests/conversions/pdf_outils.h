#pragma once

#include "essais_outils.h"

#include <mutex>

// Samples shared by the PDF suites.
namespace PdfOutils {

// A PDF whose page i has size tailles[i] in points and shows textes[i] large enough to
// read, as real text or, `scanne`, as a picture of it without a text layer.
QString pdf(const QString& chemin, const QList<QSizeF>& tailles, const QStringList& textes, bool scanne = false);
// `source` with, over every page, a text layer that holds only blanks (as some
// scanners leave), laid by the qpdf command line.
QString avecCoucheDeBlancs(const QString& source, const QString& cible);
// A one-page PDF with a filled form field "nom" (written by hand).
QString formulaire(const QString& chemin);
// The form fields as qpdf's JSON lists them, "full name=value".
QStringList champsDeFormulaire(const QString& pdf);
// A PDF without any page, as qpdf makes it.
QString sansPage(const QString& chemin);
// The same document encrypted by the qpdf command line (AES-256).
QString chiffrer(const QString& source, const QString& cible, const QString& utilisateur,
                 const QString& proprietaire);

// Progress calls, which may come from any thread.
struct Releve {
    std::mutex verrou;
    QList<double> valeurs;
    Conversions::Progression rappel();
};

} // namespace PdfOutils
