#include "essai/Echantillons.h"
#include "essai/Essai.h"
#include "essai/Verificateur.h"

#include "commun/Dossier.h"

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

TEST(Verificateur, CeQuiManqueOuEstAbime)
{
    Dossier d;
    EXPECT_EQ(Essai::verifier(d.chemin(QStringLiteral("absent.mov"))),
              QStringLiteral("0 o, 0.00 s, piste image 0, piste son 0"));
    EXPECT_EQ(Essai::verifier(d.chemin(QStringLiteral("absent.pdf"))), QStringLiteral("0 o, 0 page(s)"));
    EXPECT_EQ(Essai::verifier(d.ecrire(QStringLiteral("abime.png"), "\x89PNG\r\n\x1a\n pas une image")),
              QStringLiteral("ILLISIBLE"));
    EXPECT_EQ(Essai::verifier(d.chemin(QStringLiteral("absent.gif"))), QStringLiteral("ILLISIBLE"));
    // Upper-case extensions are not their kinds: a text is then read as a picture.
    EXPECT_EQ(Essai::verifier(d.ecrire(QStringLiteral("NOTE.TXT"), "Mandarine")), QStringLiteral("ILLISIBLE"));
    EXPECT_EQ(Essai::verifier(d.ecrire(QStringLiteral("note.txt"), "Une Mandarine")),
              QStringLiteral("13 o, contient « Mandarine » : true"));
    EXPECT_EQ(Essai::verifier(d.ecrire(QStringLiteral("latin.txt"), "Mandarine \xe9t\xe9")),
              QStringLiteral("13 o, contient « Mandarine » : false"));
}

TEST(Verificateur, CoinDUnJPEG)
{
    Dossier d;
    QImage blanc(40, 30, QImage::Format_RGB32);
    blanc.fill(QColor(250, 250, 250));
    blanc.save(d.chemin(QStringLiteral("blanc.jpg")), "jpeg", 100);
    EXPECT_TRUE(Essai::verifier(d.chemin(QStringLiteral("blanc.jpg"))).endsWith(QStringLiteral("40×30, coin transparent devenu blanc")));
    QImage bleu(40, 30, QImage::Format_RGB32);
    bleu.fill(QColor(0, 0, 255));
    bleu.save(d.chemin(QStringLiteral("bleu.jpg")), "jpeg", 100);
    const QString v = Essai::verifier(d.chemin(QStringLiteral("bleu.jpg")));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d+ o, 40×30, coin transparent devenu pas blanc \\(\\d+,\\d+,2[45]\\d\\)$"))
                    .match(v).hasMatch()) << v.toStdString();
}

TEST(Verificateur, PartTransparenteSurDesLignesCompletees)
{
    Dossier d;
    // 33 pixels a row: a format whose rows are padded, left third transparent.
    QImage image(33, 40, QImage::Format_ARGB32);
    image.fill(QColor(255, 128, 0));
    QPainter(&image).setCompositionMode(QPainter::CompositionMode_Source);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 11; ++x)
            image.setPixelColor(x, y, Qt::transparent);
    image.save(d.chemin(QStringLiteral("tiers.png")));
    const auto part = Essai::partTransparente(d.chemin(QStringLiteral("tiers.png")));
    ASSERT_FALSE(QImage(d.chemin(QStringLiteral("tiers.png"))).isNull());
    ASSERT_TRUE(QImage(d.chemin(QStringLiteral("tiers.png"))).hasAlphaChannel()) << QImage(d.chemin(QStringLiteral("tiers.png"))).format();
    ASSERT_TRUE(part.has_value());
    // One pixel in 97 is sampled: columns 0, 31, 29, … 7 of rows 0 to 38; three of the
    // fourteen fall in the transparent third, and the share divides by 1320 / 97 = 13.
    EXPECT_EQ(*part, 23);
    QImage minuscule(8, 8, QImage::Format_ARGB32);
    minuscule.fill(Qt::transparent);
    minuscule.save(d.chemin(QStringLiteral("minuscule.png")));
    EXPECT_FALSE(Essai::partTransparente(d.chemin(QStringLiteral("minuscule.png"))).has_value());
}

TEST(Echantillons, FichiersDeLEssai)
{
    Dossier d;
    Essai::fabriquerImage(d.chemin(QStringLiteral("Mandarine.png")));
    const QImage image(d.chemin(QStringLiteral("Mandarine.png")));
    ASSERT_EQ(image.size(), QSize(800, 500));
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(image.pixel(799, 499)), 0);
    EXPECT_EQ(QColor(image.pixel(400, 250)), QColor(242, 140, 38));

    Essai::fabriquerPDF(d.chemin(QStringLiteral("Page 001.pdf")), QStringLiteral("Mandarine"));
    QString texte;
    ASSERT_EQ(executer(QStringLiteral("pdftotext"), {QStringLiteral("-f"), QStringLiteral("2"), QStringLiteral("-l"),
                                                     QStringLiteral("2"), d.chemin(QStringLiteral("Page 001.pdf")),
                                                     QStringLiteral("-")}, &texte), 0);
    EXPECT_TRUE(texte.trimmed().startsWith(QStringLiteral("Mandarine, page 2"))) << texte.toStdString();
    EXPECT_EQ(Essai::verifier(d.chemin(QStringLiteral("Page 001.pdf"))).section(QStringLiteral(", "), 1),
              QStringLiteral("2 page(s)"));

    ASSERT_TRUE(Essai::fabriquerSon(d.chemin(QStringLiteral("La.m4a"))));
    ASSERT_TRUE(Essai::fabriquerVideo(d.chemin(QStringLiteral("Muette.mov"))));
    ASSERT_TRUE(Essai::ajouterSon(d.chemin(QStringLiteral("La.m4a")), d.chemin(QStringLiteral("Muette.mov")),
                                  d.chemin(QStringLiteral("Balle.mov"))));
    ASSERT_TRUE(Essai::fabriquerCarillon(d.chemin(QStringLiteral("Glass.aiff"))));
    auto sansTaille = [&](const char* nom) {
        return Essai::verifier(d.chemin(QString::fromLatin1(nom))).section(QStringLiteral(" o, "), 1);
    };
    EXPECT_EQ(sansTaille("La.m4a"), QStringLiteral("2.00 s, piste image 0, piste son 1, 44100 Hz, 2 canal(aux)"));
    EXPECT_EQ(sansTaille("Muette.mov"), QStringLiteral("2.00 s, piste image 1, piste son 0"));
    EXPECT_EQ(sansTaille("Balle.mov"), QStringLiteral("2.00 s, piste image 1, piste son 1, 44100 Hz, 2 canal(aux)"));
    EXPECT_EQ(sansTaille("Glass.aiff"), QStringLiteral("1.50 s, piste image 0, piste son 1, 44100 Hz, 1 canal(aux)"));
    QString sonde;
    executer(QStringLiteral("ffprobe"), {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-show_entries"),
                                         QStringLiteral("stream=codec_name"), QStringLiteral("-of"), QStringLiteral("csv=p=0"),
                                         d.chemin(QStringLiteral("Glass.aiff"))}, &sonde);
    EXPECT_EQ(sonde.trimmed(), QStringLiteral("pcm_s16be"));
}

TEST(GardeDuDossier, RefusSansRienEffacer)
{
    Dossier d;
    EXPECT_FALSE(Essai::refusDuDossier(QString()).isEmpty());
    EXPECT_FALSE(Essai::refusDuDossier(QStringLiteral("/")).isEmpty());
    EXPECT_FALSE(Essai::refusDuDossier(QDir::homePath()).isEmpty());
    EXPECT_FALSE(Essai::refusDuDossier(QDir::homePath() + QStringLiteral("/./")).isEmpty());
    const QString precieux = d.ecrire(QStringLiteral("travail/these.odt"), "des mois de travail");
    EXPECT_FALSE(Essai::refusDuDossier(d.chemin(QStringLiteral("travail"))).isEmpty());
    EXPECT_TRUE(QFile::exists(precieux));
    d.ecrire(QStringLiteral("ancien/rapport.txt"), "un essai précédent");
    EXPECT_TRUE(Essai::refusDuDossier(d.chemin(QStringLiteral("ancien"))).isEmpty());
    EXPECT_TRUE(Essai::refusDuDossier(d.chemin(QStringLiteral("neuf"))).isEmpty());
    EXPECT_TRUE(Essai::refusDuDossier(d.creerDossier(QStringLiteral("vide"))).isEmpty());
}

} // namespace
