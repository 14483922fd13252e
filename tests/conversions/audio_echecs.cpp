// Sounds that cannot be read or written, empty sounds and progress.

#include "conversions/media_outils.h"

#include <gtest/gtest.h>

using namespace Conversions;

namespace {

TEST(AudioEchecs, unFichierQuiNEstPasUnSonEchoueEnLectureEtNeLaisseRien)
{
    Dossier d;
    QByteArray bruit(5000, '\0');
    for (int i = 0; i < bruit.size(); ++i)
        bruit[i] = static_cast<char>((i * 7919) % 251);
    const QString faux = d.ecrire("faux.wav", bruit);
    // A video without a sound track is no sound either.
    const QString muet = d.chemin("muet.m4a");
    ASSERT_TRUE(ffmpeg({"-f", "lavfi", "-i", "testsrc=d=1:s=64x48", "-f", "mp4"}, muet));
    for (const QString& source : {faux, muet})
        for (const char* cible : {"mp3", "wav", "m4a"}) {
            const Resultat r = convertir({source}, cible, {});
            EXPECT_TRUE(r.crees.isEmpty());
            ASSERT_EQ(r.erreurs.size(), 1);
            EXPECT_EQ(r.erreurs[0], QStringLiteral("Impossible de lire « %1 »").arg(QFileInfo(source).fileName()));
        }
    EXPECT_EQ(d.noms(), (QStringList{"faux.wav", "muet.m4a"}));
}

TEST(AudioEchecs, unePlaylistDeguiseeEnSonEstRefusee)
{
    Dossier d;
    const QString secret = d.chemin("secret.wav");
    ASSERT_TRUE(ffmpeg({"-f", "lavfi", "-i", "sine=d=1"}, secret));
    const QString piege = d.ecrire("piege.mp3", QByteArray("#EXTM3U\n#EXT-X-TARGETDURATION:10\n#EXTINF:10,\n")
                                                    + QFile::encodeName(secret) + "\n#EXT-X-ENDLIST\n");
    const QString liste = d.ecrire("liste.wav", "ffconcat version 1.0\nfile '" + QFile::encodeName(secret) + "'\n");
    for (const QString& source : {piege, liste}) {
        const Resultat r = convertir({source}, "wav", {});
        EXPECT_TRUE(r.crees.isEmpty()) << source.toStdString();
        EXPECT_EQ(r.erreurs.value(0), QStringLiteral("Impossible de lire « %1 »").arg(QFileInfo(source).fileName()));
    }
    EXPECT_EQ(d.noms(), (QStringList{"liste.wav", "piege.mp3", "secret.wav"}));
}

TEST(AudioEchecs, uneFrequenceQueLAacRefuseEchoueEnEcritureSansRienLaisser)
{
    Dossier d;
    const QString source = d.chemin("haute.wav");
    ASSERT_TRUE(ffmpeg({"-f", "lavfi", "-i", "sine=d=0.5:sample_rate=192000"}, source));
    const Resultat r = convertir({source}, "m4a", {});
    EXPECT_TRUE(r.crees.isEmpty());
    EXPECT_EQ(r.erreurs.value(0), QStringLiteral("Impossible d’écrire « haute.m4a »"));
    EXPECT_EQ(d.noms(), QStringList{"haute.wav"});
}

TEST(AudioEchecs, unDisquePleinEnCoursDEcritureNeLaisseRienEtNommeLaSortie)
{
    Dossier d;
    const QString source = d.chemin("long.wav");
    ASSERT_TRUE(ffmpeg({"-f", "lavfi", "-i", "anoisesrc=d=20:r=44100"}, source));
    for (const char* cible : {"wav", "aiff", "mp3"}) {
        Resultat r;
        {
            DisquePlein plein(150000);
            r = convertir({source}, cible, {});
        }
        EXPECT_TRUE(r.crees.isEmpty()) << cible;
        const QString attendu = QString(cible) == "wav" ? "long 2.wav" : QStringLiteral("long.%1").arg(cible);
        EXPECT_EQ(r.erreurs.value(0), QStringLiteral("Impossible d’écrire « %1 »").arg(attendu));
        EXPECT_EQ(d.noms(), QStringList{"long.wav"});
    }
    EXPECT_EQ(d.noms(), QStringList{"long.wav"});
}

TEST(AudioEchecs, unSonTronqueDonneCeQuIlContient)
{
    Dossier d;
    const QString entier = d.chemin("entier.wav");
    ASSERT_TRUE(ffmpeg({"-f", "lavfi", "-i", "sine=d=4:sample_rate=44100"}, entier));
    const QByteArray octets = contenu(entier);
    // The header still announces 4 s; only the first half of the samples is there.
    const QString coupe = d.ecrire("coupe.wav", octets.left(octets.size() - 2 * 88200));
    for (const char* cible : {"aiff", "mp3"}) {
        Releve releve;
        const QString sortie = convertirUn(coupe, cible, releve.fonction()).value(0);
        EXPECT_NEAR(duree(sonde(sortie)), 2.0, 0.1) << cible;
        EXPECT_TRUE(releve.croissant());
    }
}

TEST(AudioEchecs, unSonSansImageDonneDesFichiersVidesEtAucuneProgression)
{
    Dossier d;
    const QString source = d.chemin("vide.wav");
    ASSERT_TRUE(ffmpeg({"-f", "lavfi", "-i", "sine=d=1", "-t", "0"}, source));
    for (const char* cible : {"wav", "aiff", "m4a", "mp3"}) {
        Releve releve;
        const QString sortie = convertirUn(source, cible, releve.fonction()).value(0);
        EXPECT_TRUE(releve.valeurs.empty()) << cible;
        const QJsonObject s = sonde(sortie, {"-count_packets"});
        EXPECT_EQ(premierFlux(s).value("nb_read_packets").toString().toInt(), 0) << cible;
    }
    // An MP3 of nothing holds only the summary frame and what the flush gave.
    EXPECT_LT(QFileInfo(d.chemin("vide.mp3")).size(), 2000);
}

TEST(AudioEchecs, laProgressionSuitChaqueBlocEtFinitAUn)
{
    Dossier d;
    const QString source = d.chemin("long.wav");
    // 100000 frames: three whole blocks and a bit.
    ASSERT_TRUE(ffmpeg({"-f", "lavfi", "-i", "sine=sample_rate=10000:d=10"}, source));
    for (const char* cible : {"aiff", "mp3"}) {
        Releve releve;
        convertirUn(source, cible, releve.fonction());
        ASSERT_EQ(releve.valeurs.size(), 4u) << cible;
        EXPECT_TRUE(releve.croissant());
        EXPECT_NEAR(releve.valeurs[0], 32768.0 / 100000.0, 1e-9);
        EXPECT_DOUBLE_EQ(releve.valeurs.back(), 1.0);
    }
}

} // namespace
