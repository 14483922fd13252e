// Documents as other programs write them: code pages of RTF fonts, short Word 97 files,
// documents that used to hang or swell.

#include "commun/Ecoute.h"
#include "conversions/essais_outils.h"

#include "conversions/documents/Documents.h"
#include "conversions/documents/Zip.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtEndian>

using namespace essais;

namespace {

QString texteDe(const QString& source)
{
    return QString::fromUtf8(lire(convertirSeul(source, "txt")));
}

// A Word 97 file made by word97.py with its arguments.
QString word97(const Dossier& d, const QString& nom, const QStringList& arguments)
{
    QString sortie;
    const QString script = QStringLiteral(VEMO_SOURCE_DIR "/tests/conversions/documents/word97.py");
    EXPECT_EQ(executer("bash", QStringList{"-c", "out=$1; shift; python3 \"$0\" \"$@\" > \"$out\"", script, d.chemin(nom)}
                                   + arguments, &sortie), 0) << sortie.toStdString();
    return d.chemin(nom);
}

} // namespace

// A font's \fcharset decides how its \'hh bytes read; the document's code page only when the
// font says nothing (no \fcharset, or the default set).
TEST(DocumentsReels, JeuDeCaracteresDesPolices)
{
    const QByteArray polices =
        "{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}{\\f1\\fcharset128 MS Mincho;}{\\f2 Sans;}"
        "{\\f3\\fcharset1 Defaut;}{\\f4\\fcharset0\\cpg1251 Cyr;}}";
    const QList<std::pair<QByteArray, QString>> cas{
        {"{\\rtf1\\ansi\\ansicpg932\\deff0" + polices + "\\f0 Les Mis\\'e9rables, M\\'fcnchen, \\'a1Hola}",
         "Les Misérables, München, ¡Hola"},
        // Before any \f, the default font's set holds.
        {"{\\rtf1\\ansi\\ansicpg932\\deff0" + polices + "caf\\'e9}", "café"},
        {"{\\rtf1\\ansi\\ansicpg1252\\deff0" + polices + "\\f1 \\'82\\'a0\\f0  \\'e9}", "あ é"},
        {"{\\rtf1\\ansi\\ansicpg932\\deff0" + polices + "\\f2 \\'82\\'a0\\f3 \\'82\\'a2}", "あい"},
        {"{\\rtf1\\ansi\\ansicpg1252\\deff0" + polices + "\\f4 \\'cf\\'f0\\'e8}", "При"}};
    Dossier d;
    for (const auto& [rtf, attendu] : cas)
        EXPECT_EQ(texteDe(d.ecrire("jeu.rtf", rtf)), attendu) << rtf.right(40).toStdString();
}

// antiword refuses a Word 97 file whose text lives in the small-block stream; catdoc reads it.
TEST(DocumentsReels, WordCourtLuParCatdoc)
{
    Dossier d;
    QString sortie;
    const QString script = QStringLiteral(VEMO_SOURCE_DIR "/tests/conversions/documents/word97.py");
    ASSERT_EQ(executer("bash", {"-c", "python3 \"$0\" 'Une lettre très courte.' > \"$1\"", script,
                                d.chemin("lettre.doc")}, &sortie), 0) << sortie.toStdString();
    ASSERT_NE(executer("antiword", {d.chemin("lettre.doc")}), 0);
    EXPECT_EQ(texteDe(d.chemin("lettre.doc")), "Une lettre très courte.");
    EXPECT_TRUE(pdftotext(convertirSeul(d.chemin("lettre.doc"), "pdf")).contains("Une lettre très courte."));
    // A file that is no Word container is never shown as text by the fallback.
    const QString faux = d.ecrire("faux.doc", "juste du texte, pas un document Word");
    echoue(d, {faux}, "txt", {illisible("faux.doc")});
}

// A short Word 97 file whose directory's chain of sectors loops on itself: catdoc would go round
// it until its time is up. It is refused at once, and the same file whole still reads.
TEST(DocumentsReels, WordAuConteneurQuiBoucleRefuseSansLeLecteur)
{
    Dossier d;
    const QString lettre = word97(d, "lettre.doc", {"Une lettre"});
    QByteArray octets = lire(lettre);
    const auto mot = [&](qsizetype i) { return qFromLittleEndian<quint32>(octets.constData() + i); };
    const quint32 repertoire = mot(48);
    qToLittleEndian<quint32>(repertoire, octets.data() + 512 * (mot(76) + 1) + 4 * repertoire);
    const QString boucle = d.ecrire("boucle.doc", octets);
    const Ecoute ecoute;
    echoue(d, {boucle}, "txt", {illisible("boucle.doc")});
    const QString mots = ecoute.messages("vemo.documents").join('\n');
    EXPECT_TRUE(mots.contains(QString::fromUtf8("boucle.doc : conteneur abîmé"))) << mots.toStdString();
    EXPECT_EQ(texteDe(lettre), "Une lettre");
}

// Half a surrogate pair in a Word file's 16-bit text: antiword and catdoc both print it as
// bytes that are no UTF-8. The rest of the text is kept, each stray byte replaced.
TEST(DocumentsReels, WordAuTexteInvalideGardeLeReste)
{
    Dossier d;
    const QString doc = word97(d, "manuale.doc", {"--long", "Premere il tasto \\uD800 per avviare."});
    for (const char* lecteur : {"antiword", "catdoc"}) {
        const QByteArray brut = sortieDe("bash", {"-c", QString(lecteur) + " \"$0\" | base64 -w0", doc}).toLatin1();
        ASSERT_TRUE(QByteArray::fromBase64(brut).contains("tasto \xED\xA0\x80 per")) << lecteur;
    }
    const Ecoute ecoute;
    EXPECT_EQ(texteDe(doc).trimmed(), QString("Premere il tasto \uFFFD\uFFFD\uFFFD per avviare."));
    EXPECT_TRUE(ecoute.messages("vemo.documents").contains("antiword : manuale.doc : texte qui n’est pas de l’UTF-8 valide"))
        << ecoute.tous().join('\n').toStdString();
}

// When antiword's text holds a stray byte and catdoc's does not, catdoc's is taken. (An
// antiword that prints such bytes stands in front of the real one.)
TEST(DocumentsReels, WordLuParCatdocQuandAntiwordDonneUnOctetErrant)
{
    Dossier d;
    QTemporaryDir programmes;
    const QString faux = programmes.filePath("antiword");
    QFile script(faux);
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\nprintf 'Une lettre tr\\351s courte.\\n'\n");
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QByteArray chemin = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(programmes.path()) + ":" + chemin);
    const QString doc = word97(d, "lettre.doc", {"Une lettre très courte."});
    const QString texte = texteDe(doc);
    qputenv("PATH", chemin);
    EXPECT_EQ(texte, "Une lettre très courte.");
}

// Documents that spun for ever or swelled without bound now convert, or are refused by name.
TEST(DocumentsReels, PlusDeBoucleNiDEnflure)
{
    Dossier d;
    // pandoc mixes runs with and without a font in one paragraph.
    const QString md = d.ecrire("note.md", "Un *mot* et un `code` et **gras** ici.\n\nFin.\n");
    ASSERT_EQ(executer("pandoc", {"-s", md, "-o", d.chemin("note.rtf")}), 0);
    QFile::remove(md);
    EXPECT_TRUE(pdftotext(convertirSeul(d.chemin("note.rtf"), "pdf")).contains("Un mot et un code et gras ici."));
    // One blank element repeated: a small file asking for gigabytes of text.
    const QByteArray contenu =
        "<office:document-content xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
        "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\"><office:body><office:text><text:p>"
        + QByteArray("<text:s text:c=\"10000\"/>").repeated(200000) + "</text:p></office:text></office:body>"
        "</office:document-content>";
    const QString odt = d.ecrire("blancs.odt", Conversions::ecrireZip({{"content.xml", contenu}}, "x"));
    for (const char* cible : {"txt", "pdf"}) {
        echoue(d, {odt}, cible, {illisible("blancs.odt")});
    }
}

// Word and OpenDocument files written by pandoc: list markers and numbers, notes numbered at
// the end, a picture of its own size; in the text, PDF and Word outputs.
TEST(DocumentsReels, ListesNotesEtImages)
{
    Dossier d;
    ASSERT_EQ(executer("ffmpeg", {"-loglevel", "error", "-f", "lavfi", "-i", "color=red:s=40x20", "-frames:v", "1",
                                  d.chemin("rouge.png")}), 0);
    const QString md = d.ecrire("source.md",
        "- premier point\n- second point\n\n    1. sous-liste\n    2. encore\n\n"
        "Avant.\n\n3. trois\n4. quatre\n\nUne note[^1] et une autre[^2].\n\n"
        "![](rouge.png){width=4cm height=2cm}\n\n[^1]: Le texte de la note.\n[^2]: Une seconde note.\n");
    for (const char* format : {"docx", "odt"}) {
        SCOPED_TRACE(format);
        const QString source = d.chemin(QStringLiteral("source.") + format);
        QString sortie;
        ASSERT_EQ(executer("pandoc", {"--resource-path", d.racine(), md, "-o", source}, &sortie), 0) << sortie.toStdString();
        const QString texte = QString::fromUtf8(lire(convertirSeul(source, "txt")));
        for (const char* attendu : {"•\tpremier point\n•\tsecond point\n    1.\tsous-liste\n    2.\tencore\nAvant.\n"
                                    "3.\ttrois\n4.\tquatre\nUne note1 et une autre2.",
                                    "1. Le texte de la note.\n2. Une seconde note."})
            EXPECT_TRUE(texte.contains(QString::fromUtf8(attendu))) << texte.toStdString();
        EXPECT_TRUE(texte.endsWith("2. Une seconde note.")) << texte.toStdString();

        // The picture, 4 × 2 cm (113 × 57 points), in the PDF…
        const QString pdf = convertirSeul(source, "pdf");
        EXPECT_TRUE(pdftotext(pdf).contains("1. Le texte de la note.")) << pdftotext(pdf).toStdString();
        const QImage page = rendre(pdf, 1);
        QRect rouge;
        for (int y = 0; y < page.height(); ++y)
            for (int x = 0; x < page.width(); ++x) {
                const QColor c = page.pixelColor(x, y);
                if (c.red() > 200 && c.green() < 60 && c.blue() < 60)
                    rouge |= QRect(x, y, 1, 1);
            }
        EXPECT_NEAR(rouge.width(), 113, 3);
        EXPECT_NEAR(rouge.height(), 57, 3);
        // …and in the Word file, as pandoc reads it back.
        const QString docx = convertirSeul(source, "docx");
        sortieDe("unzip", {"-tq", docx});
        const QString relu = pandoc(docx, "docx", "markdown");
        EXPECT_TRUE(relu.contains(QRegularExpression("!\\[\\]\\(media/image1\\.png\\)\\{width=\"1\\.5[67]\\d*in\"\\s+"
                                                     "height=\"0\\.7[89]\\d*in\"\\}")))
            << relu.toStdString();
        QFile::remove(pdf);
        QFile::remove(docx);
        QFile::remove(d.chemin("source.txt"));
    }
}

// Pictures are laid out in points whatever the screens: the same document, converted by this
// program on a screen of twice the usual density, gives the same sizes.
TEST(DocumentsReels, ImagesEnPointsQuelQueSoitLEcran)
{
    if (qEnvironmentVariableIsSet("VEMO_ECRAN_DENSE"))
        GTEST_SKIP() << "already on the dense screen";
    Dossier d;
    const QString ecrans = d.ecrire("ecrans.json", R"({"screens": [{"name": "dense", "x": 0, "y": 0, "width": 2560,
        "height": 1600, "logicalDpi": 192, "logicalBaseDpi": 192, "dpr": 1}]})");
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen:configfile=" + ecrans);
    env.insert("VEMO_ECRAN_DENSE", "1");
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(QCoreApplication::applicationFilePath(), {"--gtest_filter=DocumentsReels.ListesNotesEtImages"});
    ASSERT_TRUE(p.waitForFinished(300000));
    const QString sortie = QString::fromUtf8(p.readAll());
    EXPECT_EQ(p.exitCode(), 0) << sortie.toStdString();
    EXPECT_TRUE(sortie.contains("[  PASSED  ] 1 test")) << sortie.toStdString();
}
