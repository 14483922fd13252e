#include "pdf_outils.h"

#include "commun/Dossier.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace PdfOutils {

namespace {

QString lancer(const QString& programme, const QStringList& arguments, int* code = nullptr)
{
    QString sortie;
    const int c = executer(programme, arguments, &sortie);
    if (code)
        *code = c;
    return sortie;
}

QFont grande(int pixels)
{
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(pixels);
    return f;
}

} // namespace

QString pdf(const QString& chemin, const QList<QSizeF>& tailles, const QStringList& textes)
{
    QPdfWriter writer(chemin);
    writer.setResolution(72);
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    writer.setPageSize(QPageSize(tailles.value(0), QPageSize::Point));
    QPainter p(&writer);
    for (qsizetype i = 0; i < tailles.size(); ++i) {
        if (i > 0) {
            writer.setPageSize(QPageSize(tailles[i], QPageSize::Point));
            writer.newPage();
        }
        p.setFont(grande(14));
        if (!textes.value(i).isEmpty())
            p.drawText(QPointF(20, 40), textes[i]);
    }
    return chemin;
}

QString scan(const QString& chemin, const QStringList& textes)
{
    QPdfWriter writer(chemin);
    writer.setResolution(150);
    writer.setPageSize(QPageSize(QSizeF(300, 120), QPageSize::Point));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    QPainter p(&writer);
    for (qsizetype i = 0; i < textes.size(); ++i) {
        if (i > 0)
            writer.newPage();
        // 300 × 120 points at 150 dpi.
        QImage feuille(625, 250, QImage::Format_RGB32);
        feuille.fill(Qt::white);
        QPainter q(&feuille);
        q.setFont(grande(48));
        q.setPen(Qt::black);
        q.drawText(QRect(0, 0, 625, 250), Qt::AlignCenter, textes[i]);
        q.end();
        p.drawImage(QRect(0, 0, 625, 250), feuille);
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
    lancer(QStringLiteral("qpdf"), {source, QStringLiteral("--overlay"), blancs, QStringLiteral("--repeat=1"),
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
    const QString json = lancer(QStringLiteral("qpdf"), {QStringLiteral("--json"), QStringLiteral("--json-key=acroform"), pdf});
    QStringList champs;
    const QJsonArray liste = QJsonDocument::fromJson(json.toUtf8())[QStringLiteral("acroform")][QStringLiteral("fields")].toArray();
    for (const QJsonValue& champ : liste)
        champs << champ[QStringLiteral("fullname")].toString() + QLatin1Char('=') + champ[QStringLiteral("value")].toString();
    return champs;
}

QString chiffrer(const QString& source, const QString& cible, const QString& utilisateur,
                 const QString& proprietaire)
{
    lancer(QStringLiteral("qpdf"), {QStringLiteral("--encrypt"), utilisateur, proprietaire, QStringLiteral("256"),
                                    QStringLiteral("--"), source, cible});
    return cible;
}

QString champ(const QString& pdf, const QString& nom, int page)
{
    QStringList args;
    if (page > 0)
        args << QStringLiteral("-f") << QString::number(page) << QStringLiteral("-l") << QString::number(page);
    args << pdf;
    const QString info = lancer(QStringLiteral("pdfinfo"), args);
    const QRegularExpression re(QStringLiteral("^%1:\\s*(.*)$").arg(QRegularExpression::escape(nom)),
                                QRegularExpression::MultilineOption);
    return re.match(info).captured(1).trimmed();
}

int pages(const QString& pdf)
{
    const QString n = champ(pdf, QStringLiteral("Pages"));
    return n.isEmpty() ? -1 : n.toInt();
}

QSizeF taillePage(const QString& pdf, int page)
{
    const QString t = champ(pdf, QStringLiteral("Page %1 size").arg(page, 4), page);
    const QRegularExpression re(QStringLiteral("([\\d.]+) x ([\\d.]+) pts"));
    const auto m = re.match(t);
    return m.hasMatch() ? QSizeF(m.captured(1).toDouble(), m.captured(2).toDouble()) : QSizeF();
}

bool intact(const QString& pdf)
{
    int code = -1;
    const QString sortie = lancer(QStringLiteral("qpdf"), {QStringLiteral("--check"), pdf}, &code);
    return code == 0 && !sortie.contains(QLatin1String("WARNING"));
}

QString texte(const QString& pdf, int page)
{
    QStringList args;
    if (page > 0)
        args << QStringLiteral("-f") << QString::number(page) << QStringLiteral("-l") << QString::number(page);
    args << pdf << QStringLiteral("-");
    return lancer(QStringLiteral("pdftotext"), args);
}

QImage rendu(const QString& pdf, int page, int dpi)
{
    QTemporaryDir dossier;
    const QString base = dossier.filePath(QStringLiteral("p"));
    lancer(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-f"),
                                        QString::number(page), QStringLiteral("-l"), QString::number(page),
                                        QStringLiteral("-singlefile"), QStringLiteral("-png"), pdf, base});
    return QImage(base + QStringLiteral(".png")).convertToFormat(QImage::Format_RGB32);
}

QSize tailleImage(const QString& image)
{
    const QString l = lancer(QStringLiteral("vipsheader"), {QStringLiteral("-f"), QStringLiteral("width"), image});
    const QString h = lancer(QStringLiteral("vipsheader"), {QStringLiteral("-f"), QStringLiteral("height"), image});
    return {l.trimmed().toInt(), h.trimmed().toInt()};
}

Conversions::Progression Releve::rappel()
{
    return [this](double p) {
        std::lock_guard g(verrou);
        valeurs << p;
    };
}

} // namespace PdfOutils
