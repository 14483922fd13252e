#pragma once

// Shared by the image and document suites: conversions through the dispatcher, and what
// they wrote read back by readers that are not ours (libvips, poppler, qpdf, docx2txt,
// pandoc, unzip).

#include "commun/Dossier.h"
#include "conversions/Conversions.h"

#include <QColor>
#include <QImage>
#include <QSizeF>
#include <QTextCharFormat>
#include <QTextDocument>
#include <gtest/gtest.h>
#include <ostream>

// Readable QStrings in test failures.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace essais {

QByteArray lire(const QString& chemin);
// Runs a command that must succeed; its output.
QString sortieDe(const QString& programme, const QStringList& arguments);
// The one file made by converting `sources` to `id`.
QString convertirSeul(const QStringList& sources, const QString& id);
inline QString convertirSeul(const QString& source, const QString& id) { return convertirSeul(QStringList{source}, id); }
// The one error of a conversion that must make nothing.
QString echec(const QStringList& sources, const QString& id);
inline QString echec(const QString& source, const QString& id) { return echec(QStringList{source}, id); }
// "Impossible de lire « nom »".
QString illisible(const QString& nom);

// A header field read by vipsheader.
QString champVips(const QString& image, const QString& nom);
QSize tailleImage(const QString& image);
// The image decoded by libvips' command line into PNG, then by Qt.
QImage decoder(const QString& image);

// pdfinfo's "Pages:"; -1 when pdfinfo refuses the file.
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
QImage rendre(const QString& pdf, int page, int dpi = 72);
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

} // namespace essais
