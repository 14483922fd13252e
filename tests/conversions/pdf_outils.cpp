#include "essais_outils.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>

namespace essais {

namespace {

QFont grande(int pixels)
{
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(pixels);
    return f;
}

} // namespace

QString pdf(const QString& chemin, const QList<QSizeF>& tailles, const QStringList& textes, bool scanne)
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

namespace {

// A PDF written object by object, with its cross-reference table: for what Qt's
// writer cannot make.
QByteArray aLaMain(const QList<QByteArray>& objets)
{
    QByteArray pdf = "%PDF-1.4\n";
    QList<qsizetype> positions;
    for (qsizetype i = 0; i < objets.size(); ++i) {
        positions << pdf.size();
        pdf += QByteArray::number(i + 1) + " 0 obj\n" + objets[i] + "\nendobj\n";
    }
    const qsizetype xref = pdf.size();
    pdf += "xref\n0 " + QByteArray::number(objets.size() + 1) + "\n0000000000 65535 f \n";
    for (qsizetype p : positions)
        pdf += QByteArray::number(p).rightJustified(10, '0') + " 00000 n \n";
    return pdf + "trailer\n<< /Size " + QByteArray::number(objets.size() + 1)
           + " /Root 1 0 R >>\nstartxref\n" + QByteArray::number(xref) + "\n%%EOF\n";
}

QByteArray flux(const QByteArray& dictionnaire, const QByteArray& contenu)
{
    return "<< " + dictionnaire + " /Length " + QByteArray::number(contenu.size()) + " >>\nstream\n" + contenu
           + "\nendstream";
}

void ecrire(const QString& chemin, const QByteArray& octets)
{
    QFile f(chemin);
    if (f.open(QIODevice::WriteOnly))
        f.write(octets);
}

} // namespace

QString avecCoucheDeBlancs(const QString& source, const QString& cible)
{
    // Written by hand: Qt's writer leaves blanks out of the text a reader sees.
    QTemporaryDir dossier;
    const QString blancs = dossier.filePath(QStringLiteral("blancs.pdf"));
    ecrire(blancs, aLaMain({"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
                            "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 300 120] "
                            "/Resources << /Font << /F1 4 0 R >> >> /Contents 5 0 R >>",
                            "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>",
                            flux("", "BT /F1 12 Tf 20 40 Td (     ) Tj 0 -14 Td (   ) Tj ET")}));
    sortieDe(QStringLiteral("qpdf"), {source, QStringLiteral("--overlay"), blancs, QStringLiteral("--repeat=1"),
                                    QStringLiteral("--"), cible});
    return cible;
}

QString formulaire(const QString& chemin)
{
    ecrire(chemin, aLaMain({"<< /Type /Catalog /Pages 2 0 R /AcroForm << /Fields [4 0 R] /DA (/Helv 12 Tf 0 g) "
                            "/DR << /Font << /Helv 6 0 R >> >> >> >>",
                            "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
                            "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 300 200] /Annots [4 0 R] >>",
                            "<< /Type /Annot /Subtype /Widget /FT /Tx /T (nom) /V (Dupont) "
                            "/Rect [20 100 200 130] /P 3 0 R /AP << /N 5 0 R >> >>",
                            flux("/Type /XObject /Subtype /Form /BBox [0 0 180 30]", "/Tx BMC EMC"),
                            "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>"}));
    return chemin;
}

QStringList champsDeFormulaire(const QString& pdf)
{
    const QString json = sortieDe(QStringLiteral("qpdf"), {QStringLiteral("--json"), QStringLiteral("--json-key=acroform"), pdf});
    QStringList champs;
    const QJsonArray liste = QJsonDocument::fromJson(json.toUtf8())[QStringLiteral("acroform")][QStringLiteral("fields")].toArray();
    for (const QJsonValue& champ : liste)
        champs << champ[QStringLiteral("fullname")].toString() + QLatin1Char('=') + champ[QStringLiteral("value")].toString();
    return champs;
}

QString sansPage(const QString& chemin)
{
    sortieDe(QStringLiteral("qpdf"), {QStringLiteral("--empty"), chemin});
    return chemin;
}

QString chiffrer(const QString& source, const QString& cible, const QString& utilisateur,
                 const QString& proprietaire)
{
    sortieDe(QStringLiteral("qpdf"), {QStringLiteral("--encrypt"), utilisateur, proprietaire, QStringLiteral("256"),
                                    QStringLiteral("--"), source, cible});
    return cible;
}

} // namespace essais
