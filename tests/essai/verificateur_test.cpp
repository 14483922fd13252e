#include "essai/Essai.h"
#include "essai/Verificateur.h"
#include "roue/EtatRoue.h"

#include "commun/Dossier.h"

#include <QDir>
#include <QImage>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

TEST(Verificateur, CeQuiManqueOuEstAbime)
{
    Dossier d;
    // Upper-case extensions are not their kinds: a text is then read as a picture.
    const std::pair<QString, const char*> cas[] = {
        {d.chemin("absent.mov"), "0 o, 0.00 s, piste image 0, piste son 0"},
        {d.chemin("absent.pdf"), "0 o, 0 page(s)"},
        {d.ecrire("abime.png", "\x89PNG\r\n\x1a\n pas une image"), "ILLISIBLE"},
        {d.chemin("absent.gif"), "ILLISIBLE"},
        {d.ecrire("NOTE.TXT", "Mandarine"), "ILLISIBLE"},
        {d.ecrire("note.txt", "Une Mandarine"), "13 o, contient « Mandarine » : true"},
        {d.ecrire("latin.txt", "Mandarine \xe9t\xe9"), "13 o, contient « Mandarine » : false"}};
    for (const auto& [chemin, attendu] : cas)
        EXPECT_EQ(Essai::verifier(chemin), QString::fromUtf8(attendu)) << chemin.toStdString();
}

// A JPEG's corner says whether the transparency became white.
TEST(Verificateur, CoinDUnJPEG)
{
    Dossier d;
    for (const auto& [couleur, fin] : {std::pair{QColor(250, 250, 250), "40×30, coin transparent devenu blanc$"},
                                       {QColor(0, 0, 255), "40×30, coin transparent devenu pas blanc \\(\\d+,\\d+,2[45]\\d\\)$"}}) {
        QImage image(40, 30, QImage::Format_RGB32);
        image.fill(couleur);
        image.save(d.chemin("coin.jpg"), "jpeg", 100);
        const QString v = Essai::verifier(d.chemin("coin.jpg"));
        EXPECT_TRUE(QRegularExpression(QString("^\\d+ o, ") + fin).match(v).hasMatch()) << v.toStdString();
    }
}

TEST(Verificateur, PartTransparenteSurDesLignesCompletees)
{
    Dossier d;
    // 33 pixels a row: a format whose rows are padded, left third transparent.
    QImage image(33, 40, QImage::Format_ARGB32);
    image.fill(QColor(255, 128, 0));
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 11; ++x)
            image.setPixelColor(x, y, Qt::transparent);
    image.save(d.chemin(QStringLiteral("tiers.png")));
    const auto part = Essai::partTransparente(d.chemin("tiers.png"));
    ASSERT_TRUE(part.has_value());
    // One pixel in 97 is sampled: columns 0, 31, 29, … 7 of rows 0 to 38; three of the
    // fourteen fall in the transparent third, and the share divides by 1320 / 97 = 13.
    EXPECT_EQ(*part, 23);
    QImage minuscule(8, 8, QImage::Format_ARGB32);
    minuscule.fill(Qt::transparent);
    minuscule.save(d.chemin(QStringLiteral("minuscule.png")));
    EXPECT_FALSE(Essai::partTransparente(d.chemin(QStringLiteral("minuscule.png"))).has_value());
}

// The samples themselves are read back, line by line, by the acceptance script's run of the
// self-test.

TEST(GardeDuDossier, RefusSansRienEffacer)
{
    Dossier d;
    const QString precieux = d.ecrire("travail/these.odt", "des mois de travail");
    d.ecrire("ancien/.vemo-vododod-essai");
    d.ecrire("ancien/rapport.txt", "un essai précédent");
    // Refused: nothing, the root, home however spelt, a folder of someone's work. Taken: a
    // previous self-test's folder, a new one, an empty one.
    for (const QString& refuse : {QString(), QString("/"), QDir::homePath(), QDir::homePath() + "/./", d.chemin("travail")})
        EXPECT_FALSE(Essai::refusDuDossier(refuse).isEmpty()) << refuse.toStdString();
    for (const QString& pris : {d.chemin("ancien"), d.chemin("neuf"), d.creerDossier("vide")})
        EXPECT_TRUE(Essai::refusDuDossier(pris).isEmpty()) << pris.toStdString();
    EXPECT_TRUE(QFile::exists(precieux));
}

// A report is a common name: a folder holding one among someone's files is not the
// self-test's, and the run stops before touching anything.
TEST(GardeDuDossier, UnRapportNeSuffitPas)
{
    Dossier d;
    d.ecrire("memoire/rapport.txt", "le rapport de stage");
    d.ecrire("memoire/these.odt", "des mois de travail");
    d.ecrire("memoire/sous/photo.jpg", "\xff\xd8\xff");
    Roue::EtatRoue etat;
    const QString refus = Essai::refusDuDossier(d.chemin("memoire"));
    EXPECT_TRUE(refus.contains("ne viennent pas d’un essai")) << refus.toStdString();
    EXPECT_FALSE(Essai::lancer(d.chemin("memoire"), etat));
    for (const char* nom : {"memoire/rapport.txt", "memoire/these.odt", "memoire/sous/photo.jpg"})
        EXPECT_TRUE(QFile::exists(d.chemin(nom))) << nom;
    EXPECT_EQ(QDir(d.chemin("memoire")).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(), 3);
}

} // namespace
