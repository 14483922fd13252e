#include "commun/Echantillons.h"
#include "commun/Dossier.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QStandardPaths>

namespace Echantillons {

// Three pages whose cross-reference stream declares `entrees` entries, all free but the
// first few: a few kilobytes that a reader expands into a table of that many entries.
QString pdfTableGeante(const QString& chemin, int entrees)
{
    QByteArray pdf = "%PDF-1.5\n";
    QList<qsizetype> positions;
    const QList<QByteArray> objets{"<< /Type /Catalog /Pages 2 0 R >>",
                                   "<< /Type /Pages /Kids [3 0 R 4 0 R 5 0 R] /Count 3 >>",
                                   "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] >>",
                                   "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] >>",
                                   "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] >>"};
    for (qsizetype i = 0; i < objets.size(); ++i) {
        positions << pdf.size();
        pdf += QByteArray::number(i + 1) + " 0 obj\n" + objets[i] + "\nendobj\n";
    }
    positions << pdf.size();  // the table itself, object 6
    QByteArray lignes(4 * qsizetype(entrees), '\0');
    lignes[3] = char(0xff);
    for (qsizetype i = 0; i < positions.size(); ++i) {
        char* l = lignes.data() + 4 * (i + 1);
        l[0] = 1;
        l[1] = char(positions[i] >> 8);
        l[2] = char(positions[i] & 0xff);
    }
    const QByteArray flux = qCompress(lignes, 9).mid(4);  // zlib's own stream, without Qt's size
    pdf += "6 0 obj\n<< /Type /XRef /Size " + QByteArray::number(entrees) + " /W [1 2 1] /Root 1 0 R "
           "/Filter /FlateDecode /Length " + QByteArray::number(flux.size()) + " >>\nstream\n" + flux
           + "\nendstream\nendobj\nstartxref\n" + QByteArray::number(positions.last()) + "\n%%EOF\n";
    QFile f(chemin);
    if (!f.open(QIODevice::WriteOnly) || f.write(pdf) != pdf.size())
        return {};
    return chemin;
}

// Three pages and `taille` bytes of drawing, the table's offsets all wrong: only a scan of
// the whole file finds the objects.
QString pdfTableCassee(const QString& chemin, qsizetype taille)
{
    QByteArray pdf = "%PDF-1.4\n1 0 obj << /Type /Catalog /Pages 2 0 R >> endobj\n"
                     "2 0 obj << /Type /Pages /Kids [3 0 R 4 0 R 5 0 R] /Count 3 >> endobj\n";
    for (int i = 3; i <= 5; ++i)
        pdf += QByteArray::number(i) + " 0 obj << /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] "
               "/Contents 6 0 R >> endobj\n";
    const QByteArray dessin = QByteArray("0 0 m 10 10 l S\n").repeated(taille / 16);
    pdf += "6 0 obj << /Length " + QByteArray::number(dessin.size()) + " >> stream\n" + dessin + "\nendstream endobj\n";
    const qsizetype table = pdf.size();
    pdf += "xref\n0 7\n0000000000 65535 f \n";
    for (int i = 1; i <= 6; ++i)
        pdf += QByteArray::number(100 + 7 * i).rightJustified(10, '0') + " 00000 n \n";
    pdf += "trailer << /Size 7 /Root 1 0 R >>\nstartxref\n" + QByteArray::number(table) + "\n%%EOF\n";
    QFile f(chemin);
    if (!f.open(QIODevice::WriteOnly) || f.write(pdf) != pdf.size())
        return {};
    return chemin;
}

QString pdf(const QString& chemin, int pages)
{
    QPdfWriter writer(chemin);
    writer.setResolution(72);
    writer.setPageSize(QPageSize(QSizeF(300, 200), QPageSize::Point));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    QPainter p(&writer);
    for (int i = 1; i <= pages; ++i) {
        if (i > 1)
            writer.newPage();
        p.drawText(QPointF(20, 40), QStringLiteral("Page %1").arg(i));
    }
    return chemin;
}

QString image(const QString& chemin, int largeur, int hauteur)
{
    QImage img(largeur, hauteur, QImage::Format_RGB32);
    img.fill(QColor(30, 120, 200));
    QPainter(&img).fillRect(0, 0, largeur / 2, hauteur / 2, Qt::yellow);
    img.save(chemin);
    return chemin;
}

QString gif(const QString& chemin, int images)
{
    executer(ffmpeg(), {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-y"),
                        QStringLiteral("-f"), QStringLiteral("lavfi"),
                        QStringLiteral("-i"), QStringLiteral("testsrc=size=32x24:rate=10"),
                        QStringLiteral("-frames:v"), QString::number(images), chemin});
    return chemin;
}

QString ffmpeg()
{
    return QStandardPaths::findExecutable(QStringLiteral("ffmpeg"));
}

} // namespace Echantillons
