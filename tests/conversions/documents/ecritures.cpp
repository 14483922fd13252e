// The scripts people write reach the PDF and Word outputs through the installed fonts; a
// character that no font draws is named once in the log.

#include "conversions/essais_outils.h"

#include "commun/Ecoute.h"

#include <QRegularExpression>

using namespace essais;

namespace {

// Words whose glyphs are the characters' own (no conjunct or ligature), so that the PDF's
// text reads back as it was written.
const QStringList lignes{QStringLiteral("한국어 문장입니다"), QStringLiteral("中文测试句子"),
                         QStringLiteral("مرحبا بالعالم"), QStringLiteral("שלום עולם"),
                         QStringLiteral("भारत देश"), QStringLiteral("ภาษาไทย"),
                         QStringLiteral("Καλημέρα κόσμε")};

// pdftotext gives Arabic in its presentation forms (compatibility folding brings the letters
// back), marks the direction of right-to-left lines and may split a word at a vowel sign: the
// letters are compared, without blanks nor direction marks.
QString lu(QString texte)
{
    texte = texte.normalized(QString::NormalizationForm_KC);
    texte.remove(QRegularExpression(QStringLiteral("[\\s\\x{200E}\\x{200F}\\x{202A}-\\x{202E}]")));
    return texte;
}

// The installed families that fontconfig says cover a language.
QStringList famillesPour(const char* langue)
{
    return sortieDe("fc-list", {QStringLiteral(":lang=%1").arg(langue), "family"}).split('\n', Qt::SkipEmptyParts)
        .join(',').split(',');
}

} // namespace

TEST(Ecritures, SeptEcrituresDansLePdfEtLeWord)
{
    Dossier d;
    const Ecoute ecoute;
    const QString source = d.ecrire("monde.txt", lignes.join('\n').toUtf8());
    const QString pdf = convertirSeul(source, "pdf");
    const QString texte = lu(pdftotext(pdf));
    for (const QString& ligne : lignes) {
        // Right-to-left lines may come back in either order of their words.
        QStringList mots = ligne.split(' ');
        const QString avant = lu(mots.join(QString()));
        std::reverse(mots.begin(), mots.end());
        EXPECT_TRUE(texte.contains(avant) || texte.contains(lu(mots.join(QString())))) << ligne.toStdString() << "\n"
                                                                                       << texte.toStdString();
    }
    // The Word file names fonts that draw them where a reader looks for them.
    const QString docx = convertirSeul(source, "docx");
    const QString xml = partie(docx, "word/document.xml");
    const QString relu = docx2txt(docx);
    for (const QString& ligne : lignes)
        EXPECT_TRUE(relu.contains(ligne)) << ligne.toStdString();
    const auto police = [&](const QString& mot, const char* attribut) {
        const QRegularExpression re(QStringLiteral("<w:rFonts [^>]*w:%1=\"([^\"]+)\"[^>]*/>(?:(?!</w:r>).)*<w:t[^>]*>%2")
                                        .arg(attribut, QRegularExpression::escape(mot)));
        return re.match(xml).captured(1);
    };
    EXPECT_TRUE(famillesPour("ko").contains(police(lignes[0], "eastAsia"))) << police(lignes[0], "eastAsia").toStdString();
    EXPECT_TRUE(famillesPour("zh-cn").contains(police(lignes[1], "eastAsia")));
    EXPECT_TRUE(famillesPour("ar").contains(police(lignes[2], "cs"))) << police(lignes[2], "cs").toStdString();
    EXPECT_TRUE(famillesPour("he").contains(police(lignes[3], "cs")));
    EXPECT_TRUE(famillesPour("hi").contains(police(lignes[4], "cs")));
    EXPECT_TRUE(famillesPour("th").contains(police(lignes[5], "cs")));
    // Every character had a font: nothing to say.
    EXPECT_TRUE(ecoute.messages("vemo.documents").isEmpty()) << ecoute.messages("vemo.documents").join('\n').toStdString();
}

TEST(Ecritures, CaractereSansPoliceNommeUneFois)
{
    Dossier d;
    const Ecoute ecoute;
    // Plane 16's private characters: no font has them.
    const QString absent = QString::fromUcs4(U"\U0010FFFD");
    const QString source = d.ecrire("rare.txt", (QStringLiteral("Bonjour %1, encore %1 et %1.\n한국어").arg(absent)).toUtf8());
    EXPECT_TRUE(pdftotext(convertirSeul(source, "pdf")).contains("Bonjour"));
    const QStringList messages = ecoute.messages("vemo.documents");
    ASSERT_EQ(messages.size(), 1) << messages.join('\n').toStdString();
    EXPECT_EQ(messages.first(), QStringLiteral("rare.txt : aucune police installée ne dessine « %1 » (U+10FFFD)").arg(absent));
    // The same in Word; plain text needs no font.
    convertirSeul(source, "docx");
    convertirSeul(source, "txt");
    EXPECT_EQ(ecoute.messages("vemo.documents").size(), 2);
}

// CJK fonts give one glyph to a radical and to the ideograph it folds to: the PDF's text reads
// back with the characters the document used, the common ones and a radical alike.
TEST(Ecritures, IdeogrammesRelusCommeEcrits)
{
    Dossier d;
    const auto relu = [&](const QString& nom, const QString& texte) {
        const QString pdf = convertirSeul(d.ecrire(nom, texte.toUtf8()), "pdf");
        EXPECT_TRUE(intact(pdf)) << nom.toStdString();
        return pdftotext(pdf).remove(QRegularExpression(QStringLiteral("\\s")));
    };
    const QString japonais = QStringLiteral("日本語の文章、月曜日、大きな山、人。ひらがなとカタカナ。亀と巳");
    EXPECT_EQ(relu("japonais.txt", japonais), japonais);
    // Radicals that follow each other, as the first strokes do.
    const QString chinois = QStringLiteral("中文：山水人物，大小不一。一丨丶丿乙亅");
    EXPECT_EQ(relu("chinois.txt", chinois), chinois);
    // Written as a radical, read as a radical; its neighbour the common moon.
    const QString radical = QStringLiteral("部首⽇と月");
    EXPECT_EQ(relu("radical.txt", radical), radical);
}
