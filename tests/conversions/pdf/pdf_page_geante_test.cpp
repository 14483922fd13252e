// A page whose picture at 300 dpi would pass the memory guard: drawn at the largest
// resolution that fits, its text read on that picture.

#include "commun/Ecoute.h"
#include "conversions/pdf/pdf_fabrique.h"

#include <QPainter>

using namespace essais;

namespace {

// A one-bit scan of `cote` × `cote` pixels on a page of `points` × `points` points:
// `texte` drawn at a tenth of the size, each pixel then made a 10 × 10 square, deflated as
// it is written (the full picture would be 150 MB). Checked by qpdf.
QString scanGeant(const Dossier& d, const QString& nom, int cote, int points, const QString& texte)
{
    const int petit = cote / 10;
    QImage dessin(petit, petit, QImage::Format_Mono);
    dessin.fill(0);  // Format_Mono: 0 is the first colour of the table, white here
    dessin.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    {
        QPainter p(&dessin);
        p.setFont(grande(28));
        p.setPen(QColor(Qt::black));
        p.drawText(QRect(0, petit / 3, petit, petit / 3), Qt::AlignCenter, texte);
    }
    QByteArray pbm = "P4\n" + QByteArray::number(petit) + " " + QByteArray::number(petit) + "\n";
    for (int y = 0; y < petit; ++y)
        pbm.append(reinterpret_cast<const char*>(dessin.constScanLine(y)), (petit + 7) / 8);
    const QString source = d.ecrire(nom + ".pbm", pbm);
    const char* programme = R"(
import sys, zlib
pbm, sortie, cote, points = sys.argv[1], sys.argv[2], int(sys.argv[3]), sys.argv[4]
octets = open(pbm, 'rb').read()
entete = octets.split(b'\n', 2)
petit = int(entete[1].split()[0])
lignes, rangee = entete[2], (petit + 7) // 8
dix = [int(''.join(c * 10 for c in format(o, '08b')), 2).to_bytes(10, 'big') for o in range(256)]
z = zlib.compressobj(6)
image = bytearray()
for y in range(petit):
    ligne = b''.join(dix[o] for o in lignes[y * rangee:(y + 1) * rangee])[:(cote + 7) // 8]
    for _ in range(10):
        image += z.compress(ligne)
image += z.flush()
contenu = ('q %s 0 0 %s 0 0 cm /Im0 Do Q' % (points, points)).encode()
objets = [b'<< /Type /Catalog /Pages 2 0 R >>', b'<< /Type /Pages /Kids [3 0 R] /Count 1 >>',
          ('<< /Type /Page /Parent 2 0 R /MediaBox [0 0 %s %s] /Contents 4 0 R '
           '/Resources << /XObject << /Im0 5 0 R >> >> >>' % (points, points)).encode(),
          b'<< /Length %d >>\nstream\n' % len(contenu) + contenu + b'\nendstream',
          ('<< /Type /XObject /Subtype /Image /Width %d /Height %d /ColorSpace /DeviceGray '
           '/BitsPerComponent 1 /Decode [1 0] /Filter /FlateDecode /Length %d >>\nstream\n'
           % (cote, cote, len(image))).encode() + bytes(image) + b'\nendstream']
pdf, table = b'%PDF-1.4\n', b''
for i, o in enumerate(objets):
    table += b'%010d 00000 n \n' % len(pdf)
    pdf += b'%d 0 obj\n' % (i + 1) + o + b'\nendobj\n'
pdf += b'xref\n0 6\n0000000000 65535 f \n' + table + b'trailer\n<< /Size 6 /Root 1 0 R >>\nstartxref\n%d\n%%%%EOF\n' % len(pdf)
open(sortie, 'wb').write(pdf)
)";
    const QString pdf = d.chemin(nom + ".pdf");
    sortieDe("python3", {"-c", programme, source, pdf, QString::number(cote), QString::number(points)});
    QFile::remove(source);
    EXPECT_TRUE(intact(pdf));
    return pdf;
}

// The huge scan: 35 000 × 35 000 pixels on 8400 points is 1.2 billion pixels at 300 dpi;
// at 104 dpi it is 12 133 pixels a side, within the guard (105 would pass it).
TEST(PdfPageGeante, DessineeAuPlusGrandQuiTienne)
{
    Dossier d;
    const QString source = scanGeant(d, "cadastre", 35000, 8400, "Plan du cadastre");
    ASSERT_EQ(infoPdf(source, "Page size").section(' ', 0, 2, QString::SectionSkipEmpty), "8400 x 8400");
    const Ecoute ecoute;
    for (const char* format : {"png", "jpg"})
        EXPECT_EQ(tailleImage(convertirSeul(source, format)), QSize(12133, 12133)) << format;
    EXPECT_TRUE(ecoute.messages("vemo.pdf").contains(
        "page 1 de cadastre.pdf dessinée à 104 ppp (12133 × 12133 pixels) : à 300 ppp elle dépasserait la mémoire permise"))
        << ecoute.tous().join('\n').toStdString();
    // The text of the scan, recognised on the smaller picture.
    const QString texte = QString::fromUtf8(lire(convertirSeul(source, "txt")));
    EXPECT_EQ(texte, "Plan du cadastre");
}

// The same page with a text layer: its text is read as it stands, nothing is drawn.
TEST(PdfPageGeante, SaCoucheDeTexteSansDessin)
{
    Dossier d;
    const QString source = pdf(d.chemin("carte.pdf"), {QSizeF(8400, 8400)}, {"Grande carte"});
    const Ecoute ecoute;
    EXPECT_EQ(QString::fromUtf8(lire(convertirSeul(source, "txt"))), "Grande carte");
    EXPECT_TRUE(ecoute.messages("vemo.pdf").isEmpty()) << ecoute.tous().join('\n').toStdString();
}

} // namespace
