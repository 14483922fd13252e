#pragma once

// PDF samples made with Qt's writer, the qpdf command line, or written object by object.

#include "conversions/essais_outils.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QPdfWriter>
#include <QRandomGenerator>

namespace essais {

// A PDF of `n` pages of noise, each page its own picture: heavy enough that writing them one
// by one takes a while.
inline QString pdfLourd(const QString& chemin, int n)
{
    QPdfWriter writer(chemin);
    writer.setResolution(72);
    writer.setPageSize(QPageSize(QSizeF(600, 600), QPageSize::Point));
    QPainter p(&writer);
    QImage bruit(700, 700, QImage::Format_RGB32);
    QRandomGenerator alea(36);
    for (int i = 0; i < n; ++i) {
        if (i > 0)
            writer.newPage();
        for (int y = 0; y < bruit.height(); ++y)
            alea.fillRange(reinterpret_cast<quint32*>(bruit.scanLine(y)), bruit.width());
        p.drawImage(QRectF(0, 0, 600, 600), bruit);
    }
    return chemin;
}

// A PDF whose page i has size tailles[i] in points and shows textes[i] large enough to
// read, as real text or, `scanne`, as a picture of it without a text layer.
inline QString pdf(const QString& chemin, const QList<QSizeF>& tailles, const QStringList& textes, bool scanne = false)
{
    QPdfWriter writer(chemin);
    writer.setResolution(72);
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    writer.setPageSize(QPageSize(tailles.value(0), QPageSize::Point));
    QPainter p(&writer);
    p.setFont(grande(14));
    for (qsizetype i = 0; i < tailles.size(); ++i) {
        if (i > 0) {
            writer.setPageSize(QPageSize(tailles[i], QPageSize::Point));
            writer.newPage();
        }
        if (!scanne) {
            p.drawText(QPointF(20, 40), textes.value(i));
            continue;
        }
        QImage feuille((tailles[i] * 150 / 72).toSize(), QImage::Format_RGB32);  // at 150 dpi
        feuille.fill(Qt::white);
        QPainter q(&feuille);
        q.setFont(grande(48));
        q.drawText(feuille.rect(), Qt::AlignCenter, textes.value(i));
        q.end();
        p.drawImage(QRectF(QPointF(0, 0), tailles[i]), feuille);
    }
    return chemin;
}

// A PDF written object by object at `chemin`, with its cross-reference table: for what Qt's
// writer cannot make.
inline QString aLaMain(const QString& chemin, const QList<QByteArray>& objets)
{
    QByteArray pdf = "%PDF-1.4\n", table;
    for (qsizetype i = 0; i < objets.size(); ++i) {
        table += QByteArray::number(pdf.size()).rightJustified(10, '0') + " 00000 n \n";
        pdf += QByteArray::number(i + 1) + " 0 obj\n" + objets[i] + "\nendobj\n";
    }
    const QByteArray n = QByteArray::number(objets.size() + 1);
    pdf += "xref\n0 " + n + "\n0000000000 65535 f \n" + table + "trailer\n<< /Size " + n
           + " /Root 1 0 R >>\nstartxref\n" + QByteArray::number(pdf.size()) + "\n%%EOF\n";
    QFile f(chemin);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly) && f.write(pdf) == pdf.size());
    return chemin;
}

inline QByteArray fluxPdf(const QByteArray& dictionnaire, const QByteArray& contenu)
{
    return "<< " + dictionnaire + " /Length " + QByteArray::number(contenu.size()) + " >>\nstream\n" + contenu
           + "\nendstream";
}

// `source` with, over every page, a text layer that holds only blanks (as some
// scanners leave), laid by the qpdf command line.
inline QString avecCoucheDeBlancs(const QString& source, const QString& cible)
{
    // Written by hand: Qt's writer leaves blanks out of the text a reader sees.
    QTemporaryDir dossier;
    const QString blancs = aLaMain(dossier.filePath("blancs.pdf"), {
        "<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 300 120] /Resources << /Font << /F1 4 0 R >> >> /Contents 5 0 R >>",
        "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>",
        fluxPdf("", "BT /F1 12 Tf 20 40 Td (     ) Tj 0 -14 Td (   ) Tj ET")});
    sortieDe("qpdf", {source, "--overlay", blancs, "--repeat=1", "--", cible});
    return cible;
}

// A one-page PDF with a filled form field "nom".
inline QString formulaire(const QString& chemin)
{
    return aLaMain(chemin, {"<< /Type /Catalog /Pages 2 0 R /AcroForm << /Fields [4 0 R] /DA (/Helv 12 Tf 0 g) "
                            "/DR << /Font << /Helv 6 0 R >> >> >> >>",
                            "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
                            "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 300 200] /Annots [4 0 R] >>",
                            "<< /Type /Annot /Subtype /Widget /FT /Tx /T (nom) /V (Dupont) "
                            "/Rect [20 100 200 130] /P 3 0 R /AP << /N 5 0 R >> >>",
                            fluxPdf("/Type /XObject /Subtype /Form /BBox [0 0 180 30]", "/Tx BMC EMC"),
                            "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>"});
}

// The form fields as qpdf's JSON lists them, "full name=value".
inline QStringList champsDeFormulaire(const QString& pdf)
{
    const QString json = sortieDe("qpdf", {"--json", "--json-key=acroform", pdf});
    QStringList champs;
    for (const QJsonValue& champ : QJsonDocument::fromJson(json.toUtf8())["acroform"]["fields"].toArray())
        champs << champ["fullname"].toString() + "=" + champ["value"].toString();
    return champs;
}

// A PDF without any page, as qpdf makes it.
inline QString sansPage(const QString& chemin)
{
    sortieDe("qpdf", {"--empty", chemin});
    return chemin;
}

// The same document encrypted by the qpdf command line (AES-256).
inline QString chiffrer(const QString& source, const QString& cible, const QString& utilisateur, const QString& proprietaire)
{
    sortieDe("qpdf", {"--encrypt", utilisateur, proprietaire, "256", "--", source, cible});
    return cible;
}

} // namespace essais
