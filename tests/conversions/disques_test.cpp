// Conversions beside sources on a disk that is full or read-only (a small file system of
// its own, mounted for the test): every failure names its file and says what went wrong.

#include "conversions/media_outils.h"
#include "conversions/petit_disque.h"

using namespace Conversions;

namespace {

class Disques : public PetitDisque {
protected:
    void SetUp() override
    {
        lierFFmpeg();
        const QString son = sources.chemin("son.wav");
        ASSERT_TRUE(ffmpeg({"-f", "lavfi", "-i", "anoisesrc=d=3:r=44100"}, son));
        ASSERT_TRUE(ffmpeg({"-i", son, "-c:a", "libvorbis"}, sources.chemin("son.ogg")));
        QString sortie;
        ASSERT_EQ(executer("zip", {"-q", "-j", sources.chemin("archive.zip"), son}, &sortie), 0);
        if (!monter("1m"))
            GTEST_SKIP() << "no right to mount a small file system here";
        for (const char* nom : {"son.wav", "son.ogg", "archive.zip"})
            ASSERT_TRUE(QFile::copy(sources.chemin(nom), d.chemin(nom)));
    }
    Dossier sources;
};

TEST_F(Disques, unDisquePleinLeDit)
{
    remplir(8192);
    const QStringList avant = d.noms();
    const Resultat r = convertir({d.chemin("son.wav"), d.chemin("son.ogg")}, "mp3", {});
    const Resultat x = convertir({d.chemin("archive.zip")}, "extraire", {});
    EXPECT_TRUE(r.crees.isEmpty());
    // The sound that only ffmpeg reads is made elsewhere, then moved: the move finds no room.
    EXPECT_EQ(r.erreurs, (QStringList{sansPlace("son.wav"), sansPlace("son.ogg")}));
    EXPECT_EQ(x.erreurs, QStringList{QString::fromUtf8("Pas assez d’espace disque pour extraire « archive.zip »")});
    EXPECT_EQ(d.noms(), avant);
}

TEST_F(Disques, unDossierEnLectureSeuleLeDit)
{
    ASSERT_EQ(::mount(nullptr, QFile::encodeName(d.racine()).constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr), 0);
    const QStringList avant = d.noms();
    const Resultat r = convertir({d.chemin("son.wav"), d.chemin("son.ogg")}, "m4a", {});
    const Resultat x = convertir({d.chemin("archive.zip")}, "extraire", {});
    EXPECT_EQ(r.erreurs, (QStringList{inecrivable("son.m4a"), inecrivable("son.m4a")}));
    EXPECT_EQ(x.erreurs, QStringList{inecrivable("archive")});
    EXPECT_EQ(d.noms(), avant);
}

} // namespace
