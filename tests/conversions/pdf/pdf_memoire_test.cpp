// A small PDF whose pages all show one long text stream: its text is far larger than the file,
// and the text and Word petals stop at a bound instead of filling the memory.
#include "conversions/pdf/pdf_fabrique.h"

#include <QFile>

using namespace essais;

namespace {

// The peak of resident memory since the last reset, in bytes (Linux).
qint64 pic()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& ligne : f.readAll().split('\n'))
        if (ligne.startsWith("VmHWM:"))
            return ligne.mid(6).trimmed().split(' ').first().toLongLong() * 1024;
    return -1;
}

bool remettrePic()
{
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    return f.open(QIODevice::WriteOnly) && f.write("5") == 1;
}

// `n` pages sharing one content stream of about 44 KB of text.
QString pagesRepetees(const Dossier& d, const QString& nom, int n)
{
    QByteArray contenu = "BT /F1 1 Tf 10 790 Td ";
    for (int i = 0; i < 600; ++i)
        contenu += "(Ligne " + QByteArray::number(i) + " de texte que toutes les pages du document partagent) Tj 0 -1.2 Td ";
    contenu += "ET";
    QList<QByteArray> objets{"<< /Type /Catalog /Pages 2 0 R >>", {},
                             "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>", fluxPdf("", contenu)};
    QByteArray enfants;
    for (int i = 0; i < n; ++i) {
        enfants += QByteArray::number(5 + i) + " 0 R ";
        objets << "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] /Contents 4 0 R "
                  "/Resources << /Font << /F1 3 0 R >> >> >>";
    }
    objets[1] = "<< /Type /Pages /Kids [" + enfants + "] /Count " + QByteArray::number(n) + " >>";
    return aLaMain(d.chemin(nom), objets);
}

TEST(PdfMemoire, UnTexteDemesureEstRefuseSansRemplirLaMemoire)
{
    Dossier d;
    // 2000 pages: about 90 MB of text from a file of under 400 KB.
    const QString source = pagesRepetees(d, "repete.pdf", 2000);
    ASSERT_LT(QFileInfo(source).size(), 400 * 1024);
    ASSERT_EQ(pages(source), 2000);
    for (const char* cible : {"txt", "docx"}) {
        ASSERT_TRUE(remettrePic());
        const qint64 avant = pic();
        echoue(d, {source}, cible, {"« repete.pdf » est trop grand"});
        EXPECT_LT(pic() - avant, qint64(300) << 20) << cible;
    }
}

// A text that fits comes out whole, one page after the other.
TEST(PdfMemoire, UnTexteRaisonnableSortEntier)
{
    Dossier d;
    const QString source = pagesRepetees(d, "douze.pdf", 12);
    const QString texte = QString::fromUtf8(lire(convertirSeul(source, "txt")));
    EXPECT_EQ(texte.count("Ligne 599 de texte"), 12);
    EXPECT_EQ(texte.count("\n\nLigne 0 de texte"), 11);
}

} // namespace
