// A Word drop cap is a paragraph of its own in a frame holding the first letter: it joins the
// paragraph it begins, in the text and in the PDF, as readers that are not ours show it.

#include "conversions/essais_outils.h"

#include "conversions/documents/Zip.h"

using namespace essais;

namespace {

// A drop cap of `sorte` ("drop", "margin"; empty for a plain frame), then the rest of its
// paragraph and one more, as Word writes them.
QByteArray docx(const QByteArray& sorte)
{
    const QByteArray w = "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"";
    const QByteArray cadre = sorte.isEmpty() ? "<w:framePr w:w=\"2000\" w:wrap=\"around\"/>"
                                             : "<w:framePr w:dropCap=\"" + sorte + "\" w:lines=\"3\" w:wrap=\"around\" "
                                               "w:vAnchor=\"text\" w:hAnchor=\"text\"/>";
    const QByteArray corps =
        "<w:p><w:pPr>" + cadre + "<w:spacing w:line=\"900\" w:lineRule=\"exact\"/></w:pPr>"
        "<w:r><w:rPr><w:sz w:val=\"96\"/></w:rPr><w:t>D</w:t></w:r></w:p>"
        "<w:p><w:r><w:t>rop cap opens the tale.</w:t></w:r></w:p>"
        "<w:p><w:r><w:t>Then a second paragraph.</w:t></w:r></w:p>";
    return Conversions::ecrireZip({{"word/document.xml", "<w:document " + w + "><w:body>" + corps + "</w:body></w:document>"}},
                                  "x");
}

} // namespace

TEST(DocxLettrine, LaLettrineRejointSonParagraphe)
{
    Dossier d;
    for (const char* sorte : {"drop", "margin"}) {
        SCOPED_TRACE(sorte);
        const QString source = d.ecrire(QStringLiteral("conte-%1.docx").arg(sorte), docx(sorte));
        EXPECT_EQ(QString::fromUtf8(lire(convertirSeul(source, "txt"))),
                  "Drop cap opens the tale.\nThen a second paragraph.");
        // In the order of the page's text: the large letter stands on the line it begins.
        const QString pdf = sortieDe("pdftotext", {"-raw", convertirSeul(source, "pdf"), "-"});
        EXPECT_TRUE(pdf.contains("Drop cap opens the tale.")) << pdf.toStdString();
    }
    // A frame that is no drop cap (a box of text beside the page) stays a paragraph apart.
    const QString cadre = d.ecrire("cadre.docx", docx({}));
    EXPECT_EQ(QString::fromUtf8(lire(convertirSeul(cadre, "txt"))),
              "D\nrop cap opens the tale.\nThen a second paragraph.");
}
