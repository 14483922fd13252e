#pragma once

// Shared by the engine's suites: conversions through the dispatcher, samples, and what they
// wrote read back by readers that are not ours (libvips, poppler, qpdf, docx2txt, pandoc, unzip).

#include "commun/Dossier.h"
#include "conversions/Conversions.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <gtest/gtest.h>
#include <mutex>
#include <ostream>

// Readable QStrings in test failures.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace essais {

// The file's bytes, or "<absent>".
inline QByteArray lire(const QString& chemin)
{
    QFile f(chemin);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<absent>");
}

// Runs a command that must succeed; its output.
// Everything a folder holds, hidden entries included, sorted.
inline QStringList tout(const QString& dossier)
{
    QStringList l = QDir(dossier).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    l.sort();
    return l;
}

inline QString sortieDe(const QString& programme, const QStringList& arguments)
{
    QString sortie;
    const int code = executer(programme, arguments, &sortie);
    EXPECT_EQ(code, 0) << programme.toStdString() << " " << arguments.join(' ').toStdString() << "\n"
                       << sortie.toStdString();
    return code == 0 ? sortie : QString();
}

// The one file made by converting `sources` to `id`.
inline QString convertirSeul(const QStringList& sources, const QString& id)
{
    const Conversions::Resultat r = Conversions::convertir(sources, id, {});
    EXPECT_TRUE(r.erreurs.isEmpty()) << id.toStdString() << ": " << r.erreurs.join(" | ").toStdString();
    EXPECT_EQ(r.crees.size(), 1) << id.toStdString();
    return r.crees.value(0);
}

inline QString convertirSeul(const QString& source, const QString& id) { return convertirSeul(QStringList{source}, id); }

// Converting `sources` to `cible` fails with `erreurs` and leaves the folder as it was.
inline void echoue(const Dossier& d, const QStringList& sources, const QString& cible, const QStringList& erreurs)
{
    const QStringList avant = d.noms();
    const Conversions::Resultat r = Conversions::convertir(sources, cible, {});
    EXPECT_TRUE(r.crees.isEmpty()) << r.crees.join(", ").toStdString();
    EXPECT_EQ(r.erreurs, erreurs);
    EXPECT_EQ(d.noms(), avant);
}

inline QString illisible(const QString& nom) { return QStringLiteral("Impossible de lire « %1 »").arg(nom); }
inline QString inecrivable(const QString& nom) { return QStringLiteral("Impossible d’écrire « %1 »").arg(nom); }
inline QString sansPlace(const QString& nom) { return QStringLiteral("Pas assez d’espace disque pour convertir « %1 »").arg(nom); }

// A header field read by vipsheader.
inline QString champVips(const QString& image, const QString& nom)
{
    // The value is the last line: libvips may warn before it.
    return sortieDe("vipsheader", {"-f", nom, image}).trimmed().split('\n').last().trimmed();
}
inline QSize tailleImage(const QString& image) { return {champVips(image, "width").toInt(), champVips(image, "height").toInt()}; }

// The image decoded by libvips' command line into PNG, then by Qt.
inline QImage decoder(const QString& image)
{
    QTemporaryDir ailleurs;
    sortieDe("vips", {"copy", image, ailleurs.filePath("decode.png")});
    return QImage(ailleurs.filePath("decode.png"));
}

// One field of pdfinfo ("Encrypted", "PDF version", "Page    1 size", …).
inline QString infoPdf(const QString& pdf, const QString& nom, const QStringList& options = {})
{
    const QRegularExpression re("^" + QRegularExpression::escape(nom) + ":\\s*(.*)$", QRegularExpression::MultilineOption);
    return re.match(sortieDe("pdfinfo", options + QStringList{pdf})).captured(1).trimmed();
}

// pdftotext's, pdftoppm's and pdfinfo's options for page `page` only (from 1), or none.
inline QStringList seulePage(int page)
{
    return page > 0 ? QStringList{"-f", QString::number(page), "-l", QString::number(page)} : QStringList{};
}

// pdfinfo's "Pages:" (the test fails when pdfinfo refuses the file).
inline int pages(const QString& pdf)
{
    const QString n = infoPdf(pdf, "Pages");
    return n.isEmpty() ? -1 : n.toInt();
}

// pdfinfo's size of page `page` (from 1), in points.
inline QSizeF taillePage(const QString& pdf, int page)
{
    const QString t = infoPdf(pdf, QStringLiteral("Page %1 size").arg(page, 4), seulePage(page));
    const auto m = QRegularExpression("([\\d.]+) x ([\\d.]+) pts").match(t);
    return m.hasMatch() ? QSizeF(m.captured(1).toDouble(), m.captured(2).toDouble()) : QSizeF();
}

// qpdf --check finds neither error nor warning.
inline bool intact(const QString& pdf)
{
    QString sortie;
    return executer("qpdf", {"--check", pdf}, &sortie) == 0 && !sortie.contains("WARNING");
}

// pdftotext of the whole file, or of page `page` only (from 1).
inline QString pdftotext(const QString& pdf, int page = 0) { return sortieDe("pdftotext", seulePage(page) << pdf << "-"); }

// The page drawn by pdftoppm (at 72 dpi, one pixel per point).
inline QImage rendre(const QString& pdf, int page)
{
    QTemporaryDir d;
    sortieDe("pdftoppm", seulePage(page) << "-r" << "72" << "-singlefile" << "-png" << pdf << d.filePath("p"));
    return QImage(d.filePath("p.png")).convertToFormat(QImage::Format_RGB32);
}

// The box of the pixels that are not white.
inline QRect encre(const QImage& image)
{
    QRect r;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 200)
                r = r.united(QRect(x, y, 1, 1));
    return r;
}

inline QString docx2txt(const QString& docx) { return sortieDe("docx2txt", {docx, "-"}); }
inline QString pandoc(const QString& fichier, const QString& de, const QString& vers)
{
    return sortieDe("pandoc", {"-f", de, "-t", vers, fichier});
}
// One part of a zip, by unzip.
inline QString partie(const QString& zip, const QString& nom) { return sortieDe("unzip", {"-p", zip, nom}); }

// The format of the first character of `mot`.
inline QTextCharFormat formatDe(const QTextDocument& document, const QString& mot)
{
    const QTextCursor c = document.find(mot);
    EXPECT_FALSE(c.isNull()) << mot.toStdString();
    QTextCursor un(const_cast<QTextDocument*>(&document));
    un.setPosition(c.selectionStart() + 1);
    return un.charFormat();
}

// The formatting a word should carry once read; zero or empty means "as the default".
struct Forme {
    const char* mot;
    bool gras = false, italique = false, souligne = false;
    double taille = 12;
    const char* police = "Helvetica";
    QColor couleur = {};
};

inline void verifierFormes(const QTextDocument& document, const QList<Forme>& formes)
{
    for (const Forme& f : formes) {
        SCOPED_TRACE(f.mot);
        const QTextCharFormat c = formatDe(document, QString::fromUtf8(f.mot));
        EXPECT_EQ(c.fontWeight(), f.gras ? QFont::Bold : QFont::Normal);
        EXPECT_EQ(c.fontItalic(), f.italique);
        EXPECT_EQ(c.fontUnderline(), f.souligne);
        EXPECT_EQ(c.fontPointSize(), f.taille);
        EXPECT_EQ(c.fontFamilies().toStringList(), QStringList{QString::fromUtf8(f.police)});
        // No colour of its own, or a neighbour's leaking in, shows here.
        if (f.couleur.isValid()) {
            EXPECT_EQ(c.foreground().color(), f.couleur);
        } else {
            EXPECT_TRUE(!c.hasProperty(QTextFormat::ForegroundBrush) || c.foreground().color() == Qt::black);
        }
    }
}

// DejaVu Sans at `pixels` pixels: samples that look the same on every machine.
inline QFont grande(int pixels)
{
    QFont f("DejaVu Sans");
    f.setPixelSize(pixels);
    return f;
}

// Every progress value, in order, from whatever thread reports it.
struct Releve {
    std::mutex verrou;
    std::vector<double> valeurs;
    Conversions::Progression rappel()
    {
        return [this](double p) {
            std::lock_guard g(verrou);
            valeurs.push_back(p);
        };
    }
    // Never going back, never out of [0, 1].
    bool enOrdre() const
    {
        return std::is_sorted(valeurs.begin(), valeurs.end())
               && std::all_of(valeurs.begin(), valeurs.end(), [](double v) { return v >= 0 && v <= 1; });
    }
};

} // namespace essais
