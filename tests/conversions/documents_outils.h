#pragma once

// Shared by the document tests: conversions through the dispatcher and readers that are
// not ours (poppler's pdfinfo, pdftotext and pdftoppm; docx2txt; pandoc; unzip).

#include "commun/Dossier.h"
#include "conversions/Conversions.h"

#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// Readable strings in failure messages.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace essaisDocuments {

// The one file made by converting `source` to `id`.
inline QString convertirSeul(const QString& source, const QString& id)
{
    const Conversions::Resultat r = Conversions::convertir({source}, id, {});
    EXPECT_TRUE(r.erreurs.isEmpty()) << r.erreurs.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(r.crees.size(), 1);
    return r.crees.value(0);
}

// The error text of a conversion expected to fail.
inline QString echec(const QString& source, const QString& id)
{
    const Conversions::Resultat r = Conversions::convertir({source}, id, {});
    EXPECT_TRUE(r.crees.isEmpty()) << r.crees.join(QLatin1Char(' ')).toStdString();
    EXPECT_EQ(r.erreurs.size(), 1);
    return r.erreurs.value(0);
}

inline QString lancer(const QString& programme, const QStringList& arguments)
{
    QString sortie;
    const int code = executer(programme, arguments, &sortie);
    EXPECT_EQ(code, 0) << programme.toStdString() << ": " << sortie.toStdString();
    return sortie;
}

inline QString pdfinfo(const QString& pdf) { return lancer(QStringLiteral("pdfinfo"), {pdf}); }

inline int pages(const QString& pdf)
{
    const auto m = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(pdfinfo(pdf));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

inline QString pdftotext(const QString& pdf, int page = 0)
{
    QStringList a;
    if (page > 0)
        a << QStringLiteral("-f") << QString::number(page) << QStringLiteral("-l") << QString::number(page);
    a << pdf << QStringLiteral("-");
    return lancer(QStringLiteral("pdftotext"), a);
}

// A page drawn by poppler at 72 dpi: one pixel per point.
inline QImage rendre(const QString& pdf, int page)
{
    QTemporaryDir d;
    const QString base = d.filePath(QStringLiteral("p"));
    lancer(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("72"), QStringLiteral("-png"),
                                        QStringLiteral("-singlefile"), QStringLiteral("-f"),
                                        QString::number(page), QStringLiteral("-l"), QString::number(page),
                                        pdf, base});
    return QImage(base + QStringLiteral(".png")).convertToFormat(QImage::Format_RGB32);
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

inline QString docx2txt(const QString& docx)
{
    return lancer(QStringLiteral("docx2txt"), {docx, QStringLiteral("-")});
}

inline QString pandoc(const QString& fichier, const QString& de, const QString& vers)
{
    return lancer(QStringLiteral("pandoc"), {QStringLiteral("-f"), de, QStringLiteral("-t"), vers, fichier});
}

// One part of a zip, by unzip.
inline QString partie(const QString& zip, const QString& nom)
{
    return lancer(QStringLiteral("unzip"), {QStringLiteral("-p"), zip, nom});
}

inline QByteArray lire(const QString& chemin)
{
    QFile f(chemin);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace essaisDocuments
