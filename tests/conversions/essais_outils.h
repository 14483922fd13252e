#pragma once

// Shared by the engine's suites: conversions through the dispatcher, samples, and what they
// wrote read back by readers that are not ours (libvips, poppler, qpdf, docx2txt, pandoc, unzip).

#include "commun/Dossier.h"
#include "conversions/Conversions.h"

#include <QColor>
#include <QImage>
#include <QTextCharFormat>
#include <QTextDocument>
#include <gtest/gtest.h>
#include <mutex>
#include <ostream>

// Readable QStrings in test failures.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace essais {

// The file's bytes, or "<absent>".
QByteArray lire(const QString& chemin);
// Runs a command that must succeed; its output.
QString sortieDe(const QString& programme, const QStringList& arguments);
// The one file made by converting `sources` to `id`.
QString convertirSeul(const QStringList& sources, const QString& id);
inline QString convertirSeul(const QString& source, const QString& id) { return convertirSeul(QStringList{source}, id); }
// The one error of a conversion that must make nothing.
QString echec(const QStringList& sources, const QString& id);
inline QString echec(const QString& source, const QString& id) { return echec(QStringList{source}, id); }
// Converting `sources` to `cible` fails with `erreurs` and leaves the folder as it was.
void echoue(const Dossier& d, const QStringList& sources, const QString& cible, const QStringList& erreurs);
inline QString illisible(const QString& nom) { return QStringLiteral("Impossible de lire « %1 »").arg(nom); }
inline QString inecrivable(const QString& nom) { return QStringLiteral("Impossible d’écrire « %1 »").arg(nom); }

// A header field read by vipsheader.
QString champVips(const QString& image, const QString& nom);
QSize tailleImage(const QString& image);
// The image decoded by libvips' command line into PNG, then by Qt.
QImage decoder(const QString& image);

// pdfinfo's "Pages:" (the test fails when pdfinfo refuses the file).
int pages(const QString& pdf);
// One field of pdfinfo ("Encrypted", "PDF version", …).
QString infoPdf(const QString& pdf, const QString& nom);
// pdfinfo's size of page `page` (from 1), in points.
QSizeF taillePage(const QString& pdf, int page);
// qpdf --check finds neither error nor warning.
bool intact(const QString& pdf);
// pdftotext of the whole file, or of page `page` only (from 1).
QString pdftotext(const QString& pdf, int page = 0);
// The page drawn by pdftoppm (at 72 dpi, one pixel per point).
QImage rendre(const QString& pdf, int page);
// The box of the pixels that are not white.
QRect encre(const QImage& image);

QString docx2txt(const QString& docx);
QString pandoc(const QString& fichier, const QString& de, const QString& vers);
// One part of a zip, by unzip.
QString partie(const QString& zip, const QString& nom);

// The format of the first character of `mot`.
QTextCharFormat formatDe(const QTextDocument& document, const QString& mot);
// The formatting a word should carry once read; zero or empty means "as the default".
struct Forme {
    const char* mot;
    bool gras = false, italique = false, souligne = false;
    double taille = 12;
    const char* police = "Helvetica";
    QColor couleur = {};
};
void verifierFormes(const QTextDocument& document, const QList<Forme>& formes);

// Samples, made with Qt's own writers, the qpdf or python3 command lines, or by hand.

// Writes `image` with Qt's writer at `nom` in the folder; returns the path.
QString ecrire(const Dossier& d, const QString& nom, const QImage& image, int qualite = 95);
// A JPEG carrying an EXIF orientation (1 to 8) in front of `image`'s pixels.
QString jpegOriente(const Dossier& d, const QString& nom, const QImage& image, int orientation);
// A PNG whose header claims `largeur` × `hauteur` grey pixels.
QString pngGeant(const Dossier& d, const QString& nom, int largeur, int hauteur);
// Width × height of opaque noise in dull greens and browns.
QImage texture(int largeur, int hauteur, unsigned graine);

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

// Every progress value, in order, from whatever thread reports it.
struct Releve {
    std::mutex verrou;
    std::vector<double> valeurs;
    Conversions::Progression rappel();
    // Never going back, never out of [0, 1].
    bool enOrdre() const;
};

} // namespace essais
