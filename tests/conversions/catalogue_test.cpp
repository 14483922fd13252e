#include "conversions/Catalogue.h"

#include "commun/Dossier.h"
#include "commun/Echantillons.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

// The ring, as ids, with "ocr"/"txt" and the two "m4a" told apart by title where it matters.
QStringList anneau(const QList<Conversions::Petale>& petales)
{
    QStringList l;
    for (const Conversions::Petale& p : petales)
        l << (p.id == QLatin1String("m4a") && p.titre == QLatin1String("Son") ? QStringLiteral("son") : p.id);
    return l;
}

class Catalogue : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        d = new Dossier;
        Echantillons::pdf(d->chemin(QStringLiteral("trois.pdf")), 3);
        Echantillons::pdf(d->chemin(QStringLiteral("une.pdf")), 1);
        d->ecrire(QStringLiteral("abime.pdf"), "%PDF-1.7 pas vraiment");
        Echantillons::gif(d->chemin(QStringLiteral("anime.gif")), 3);
        Echantillons::gif(d->chemin(QStringLiteral("fixe.gif")), 1);
        for (const char* nom : {"photo.jpg", "photo.jpeg", "PHOTO.JPG", "image.png", "a.mp3", "b.aif", "d.aac",
                                "film.mov", "film.mp4", "f.mkv", "g.mkv", "notes.md", "lettre.docx", "h.zip", "i.zip",
                                "sans"})
            d->ecrire(QString::fromLatin1(nom), "x");
        d->creerDossier(QStringLiteral("clips.mov"));
        d->creerDossier(QStringLiteral("Vacances"));
    }
    static void TearDownTestSuite() { delete d; }

    QList<Conversions::Petale> offre(std::initializer_list<const char*> noms)
    {
        QStringList chemins;
        for (const char* n : noms)
            chemins << d->chemin(QString::fromUtf8(n));
        return Conversions::petales(chemins);
    }
    static Dossier* d;
};
Dossier* Catalogue::d = nullptr;

struct Cas {
    std::initializer_list<const char*> fichiers;
    const char* attendu;
};

TEST_F(Catalogue, OffresDansLOrdreDeLAnneau)
{
    const Cas cas[] = {
        {{"photo.jpg"}, "png heic webp pdf leger ocr detour"},
        {{"image.png"}, "jpg heic webp pdf leger ocr detour"},
        {{"PHOTO.JPG"}, "png heic webp pdf leger ocr detour"},
        {{"anime.gif"}, "jpg png heic webp pdf gifmp4 leger"},
        {{"fixe.gif"}, "jpg png heic webp pdf leger ocr detour"},
        {{"photo.jpg", "photo.jpeg"}, "png heic webp pdf leger ocr detour zip"},
        {{"photo.jpg", "image.png"}, "jpg png heic webp pdf leger ocr detour zip"},
        {{"trois.pdf"}, "jpg png txt docx separer"},
        {{"une.pdf"}, "jpg png txt docx"},
        {{"abime.pdf"}, "jpg png txt docx"},
        {{"trois.pdf", "une.pdf"}, "jpg png txt docx pdf zip"},
        {{"photo.jpg", "une.pdf"}, "pdf zip"},
        {{"a.mp3"}, "m4a wav aiff couper"},
        {{"b.aif"}, "mp3 m4a wav couper"},
        {{"d.aac"}, "mp3 m4a wav aiff couper"},
        {{"film.mov"}, "mp4 gif son leger couper"},
        {{"film.mp4"}, "mov gif son leger couper"},
        {{"clips.mov"}, "mp4 gif son leger couper"},
        {{"f.mkv"}, "mp4 son"},
        {{"f.mkv", "g.mkv"}, "mp4 son zip"},
        {{"f.mkv", "film.mov"}, "mp4 son zip"},
        {{"notes.md"}, "pdf docx txt"},
        {{"lettre.docx"}, "pdf txt"},
        {{"h.zip"}, "extraire"},
        {{"h.zip", "i.zip"}, "extraire zip"},
        {{"Vacances"}, "zip"},
        {{"sans"}, "zip"},
        {{"a.mp3", "film.mov"}, "zip"},
    };
    for (const Cas& c : cas)
        EXPECT_EQ(anneau(offre(c.fichiers)).join(QLatin1Char(' ')).toStdString(), c.attendu) << *c.fichiers.begin();
}

// The kind comes from the name alone: a folder named like a film is a film, a missing file is
// never opened.
TEST_F(Catalogue, GenresParLeNomSeulement)
{
    EXPECT_EQ(Conversions::genre(d->chemin("clips.mov")), Conversions::Genre::video);
    EXPECT_EQ(Conversions::genre(d->chemin("absent.webp")), Conversions::Genre::image);
}

TEST_F(Catalogue, PetalesFixesEtRefus)
{
    EXPECT_TRUE(Conversions::petales({}).isEmpty());
    EXPECT_EQ(Conversions::refus({}), QStringLiteral("Rien à faire avec ceci"));
    EXPECT_EQ(offre({"photo.jpg"}).last().annonce(), QStringLiteral("Sans le fond"));
    // The "pdf" of one image and the merge share an id but are different petals.
    EXPECT_EQ(offre({"photo.jpg"})[3].titre, QStringLiteral("PDF"));
    EXPECT_EQ(offre({"photo.jpg", "une.pdf"}).first(), Conversions::unSeulPDF());
}

TEST_F(Catalogue, ImagesDUnGifSansToutDecoder)
{
    EXPECT_EQ(Conversions::nombreDImages(d->chemin(QStringLiteral("anime.gif")), 10), 3);
    EXPECT_EQ(Conversions::nombreDImages(d->chemin(QStringLiteral("fixe.gif"))), 1);
    EXPECT_EQ(Conversions::nombreDImages(d->chemin(QStringLiteral("photo.jpg"))), 0);
    // Cut in the middle of its second frame: only whole headers count.
    QFile f(d->chemin(QStringLiteral("anime.gif")));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QString coupe = d->ecrire(QStringLiteral("coupe.gif"), f.read(40));
    EXPECT_LE(Conversions::nombreDImages(coupe), 1);
    EXPECT_EQ(Conversions::nombreDePages(d->chemin(QStringLiteral("trois.pdf"))), 3);
    EXPECT_EQ(Conversions::nombreDePages(d->chemin(QStringLiteral("abime.pdf"))), 0);
}

} // namespace
