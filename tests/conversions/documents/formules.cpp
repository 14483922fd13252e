// Equations in Word (Office math) and OpenDocument (formula objects): their text stays in its
// place on every road, plainly.

#include "commun/Echantillons.h"
#include "conversions/essais_outils.h"

#include "conversions/documents/Documents.h"
#include "conversions/documents/Zip.h"

using namespace essais;

namespace {

const QByteArray espacesOdt = "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
                              "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
                              "xmlns:draw=\"urn:oasis:names:tc:opendocument:xmlns:drawing:1.0\" "
                              "xmlns:xlink=\"http://www.w3.org/1999/xlink\" "
                              "xmlns:math=\"http://www.w3.org/1998/Math/MathML\"";

// π/2 + a * 2 in MathML, with `annotation` inside its semantics.
QByteArray mathMl(const QByteArray& annotation)
{
    return "<math:math><math:semantics><math:mrow><math:mfrac><math:mi>π</math:mi><math:mn>2</math:mn>"
           "</math:mfrac>\n  <math:mo>+</math:mo><math:mi>a</math:mi><math:mo>*</math:mo><math:mn>2</math:mn>"
           "</math:mrow>" + annotation + "</math:semantics></math:math>";
}

// An OpenDocument text « Avant <frame> apres », the frame's content given, its parts beside it.
QByteArray odt(const QByteArray& cadre, const QList<std::pair<QString, QByteArray>>& parties = {})
{
    QList<std::pair<QString, QByteArray>> entrees{
        {"mimetype", "application/vnd.oasis.opendocument.text"},
        {"content.xml", "<office:document-content " + espacesOdt + "><office:body><office:text><text:p>Avant "
                            "<draw:frame>" + cadre + "</draw:frame> apres</text:p></office:text></office:body>"
                            "</office:document-content>"}};
    for (const auto& [nom, contenu] : parties)
        entrees.append({nom, "<office:document " + espacesOdt + "><office:body>" + contenu + "</office:body></office:document>"});
    return Conversions::ecrireZip(entrees, "x");
}

// Markdown with an equation in a line and one on its own, as pandoc writes it in `extension`.
QString parPandoc(const Dossier& d, const QString& extension)
{
    const QString md = d.ecrire("formules.md", "Avant $\\frac{\\pi}{2} + a \\ast 2$ apres\n\n$$x^2$$\n");
    const QString source = d.chemin("pandoc." + extension);
    QString sortie;
    EXPECT_EQ(executer("pandoc", {md, "-o", source}, &sortie), 0) << sortie.toStdString();
    return source;
}

} // namespace

TEST(Formules, LeurTexteResteEnPlaceSurChaqueRoute)
{
    Dossier d;
    const QString annotation = "{%pi} over {2} + a * 2";
    const struct { QString source; QString texte; } cas[] = {
        // Office math: the runs' text, as docx2txt reads it (π aside).
        {parPandoc(d, "docx"), "Avant π2+a*2 apres\nx2"},
        // A formula object, as pandoc writes it: its MathML alone.
        {parPandoc(d, "odt"), "Avant π2+a*2 apres\nx2"},
        // As an office suite saves it: the editor's source beside the MathML, and a drawing of it.
        {d.ecrire("suite.odt", odt("<draw:object xlink:href=\"./Object 1\"/><draw:image xlink:href=\"./ObjectReplacements/Object 1\"/>",
                                   {{"Object 1/content.xml", mathMl("<math:annotation math:encoding=\"StarMath 5.0\">"
                                                                    "{%pi} over {2}\n + a * 2</math:annotation>")},
                                    {"ObjectReplacements/Object 1", "pas une image"}})),
         "Avant " + annotation + " apres"},
        // The MathML inside the frame itself; an annotation of another kind is not its text.
        {d.ecrire("dedans.odt", odt("<draw:object>" + mathMl("<math:annotation math:encoding=\"application/x-tex\">"
                                                             "\\frac{\\pi}{2}</math:annotation>") + "</draw:object>")),
         "Avant π2+a*2 apres"},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.source.toStdString());
        EXPECT_EQ(QString::fromUtf8(lire(convertirSeul(c.source, "txt"))), c.texte);
        const QString ligne = c.texte.section('\n', 0, 0);
        EXPECT_TRUE(pdftotext(convertirSeul(c.source, "pdf")).simplified().contains(ligne));
        // docx2txt writes π as PI.
        EXPECT_TRUE(docx2txt(convertirSeul(c.source, "docx")).contains(QString(ligne).replace("π", "PI")));
    }
    // A reader not ours finds the same equation in the Word source.
    EXPECT_TRUE(docx2txt(cas[0].source).contains("PI2+a*2 apres\nx2"));
    EXPECT_TRUE(pandoc(cas[0].source, "docx", "plain").contains("\\frac{\\pi}{2}"));
}

// An object that is no formula (a chart, a part missing or broken) leaves its drawing, or nothing.
TEST(Formules, UnObjetSansFormuleGardeSonDessin)
{
    Dossier d;
    const QByteArray png = lire(Echantillons::image(d.chemin("carre.png")));
    const QString graphique = d.ecrire("graphique.odt",
        Conversions::ecrireZip({{"content.xml", "<office:document-content " + espacesOdt + "><office:body><office:text>"
                                                "<text:p>Avant <draw:frame><draw:object xlink:href=\"./Object 1\"/>"
                                                "<draw:image xlink:href=\"Pictures/1.png\"/></draw:frame> apres</text:p>"
                                                "</office:text></office:body></office:document-content>"},
                                {"Object 1/content.xml", "<office:document><chart/></office:document>"},
                                {"Pictures/1.png", png}}, "x"));
    const QString texte = Conversions::lireDocument(graphique)->toPlainText();
    EXPECT_TRUE(texte.startsWith("Avant \uFFFC") && texte.endsWith("apres")) << texte.toStdString();
    for (const QByteArray& objet : {QByteArray("Object 2/content.xml"), QByteArray("Object 1/content.xml")}) {
        const QString source = d.ecrire("sans.odt", odt("<draw:object xlink:href=\"Object 1\"/>",
                                                        {{objet, "<math:math><math:mi>x</math:mi"}}));
        EXPECT_EQ(QString::fromUtf8(lire(convertirSeul(source, "txt"))), "Avant apres");
        QFile::remove(d.chemin("sans.txt"));
    }
}
