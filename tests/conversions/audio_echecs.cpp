// Sounds that cannot be read or written, empty and cut sounds, and progress.

#include "conversions/media_outils.h"

using namespace Conversions;

namespace {

TEST(AudioEchecs, lesSonsIllisiblesOuInecrivablesEchouentSansRienLaisser)
{
    Dossier d;
    const QString faux = d.ecrire("faux.wav", bruit(5000));
    const QString muet = d.chemin("muet.m4a");  // a video without a sound track is no sound
    ASSERT_TRUE(ffmpeg({"-f", "lavfi", "-i", "testsrc=d=1:s=64x48", "-f", "mp4"}, muet));
    // Lists that would have us read other files.
    const QString secret = d.chemin("secret.wav");
    ASSERT_TRUE(ffmpeg({"-f", "lavfi", "-i", "sine=d=1"}, secret));
    const QString piege = d.ecrire("piege.mp3", "#EXTM3U\n#EXT-X-TARGETDURATION:10\n#EXTINF:10,\n"
                                                    + QFile::encodeName(secret) + "\n#EXT-X-ENDLIST\n");
    const QString liste = d.ecrire("liste.wav", "ffconcat version 1.0\nfile '" + QFile::encodeName(secret) + "'\n");
    const QString haute = d.chemin("haute.wav");  // a rate AAC refuses
    ASSERT_TRUE(ffmpeg({"-f", "lavfi", "-i", "sine=d=0.5:sample_rate=192000"}, haute));
    const struct { QString source; const char* cible; QString erreur; } cas[] = {
        {faux, "mp3", illisible("faux.wav")},   {faux, "wav", illisible("faux.wav")},
        {muet, "mp3", illisible("muet.m4a")},   {muet, "m4a", illisible("muet.m4a")},
        {piege, "wav", illisible("piege.mp3")}, {liste, "mp3", illisible("liste.wav")},
        {haute, "m4a", inecrivable("haute.m4a")},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.source.toStdString() + " -> " + c.cible);
        echoue(d, {c.source}, c.cible, {c.erreur});
    }
}

TEST(AudioEchecs, unDisquePleinEnCoursDEcritureNeLaisseRienEtNommeLaSortie)
{
    Dossier d;
    const QString source = d.chemin("long.wav");
    ASSERT_TRUE(ffmpeg({"-f", "lavfi", "-i", "anoisesrc=d=20:r=44100"}, source));
    for (const auto& [cible, nom] : {std::pair{"wav", "long 2.wav"}, {"aiff", "long.aiff"}, {"mp3", "long.mp3"}}) {
        Resultat r;
        {
            DisquePlein plein(150000);
            r = convertir({source}, cible, {});
        }
        EXPECT_TRUE(r.crees.isEmpty()) << cible;
        EXPECT_EQ(r.erreurs, QStringList{inecrivable(nom)});
        EXPECT_EQ(d.noms(), QStringList{"long.wav"});
    }
}

TEST(AudioEchecs, unSonTronqueDonneCeQuIlContient)
{
    Dossier d;
    const QString entier = d.chemin("entier.wav");
    ASSERT_TRUE(ffmpeg({"-f", "lavfi", "-i", "sine=d=4:sample_rate=44100"}, entier));
    const QByteArray octets = contenu(entier);
    // The header still announces 4 s; only the first half of the samples is there.
    const QString coupe = d.ecrire("coupe.wav", octets.left(octets.size() - 2 * 88200));
    for (const char* cible : {"aiff", "mp3"})
        EXPECT_NEAR(duree(sonde(convertirUn(coupe, cible).value(0))), 2.0, 0.1) << cible;
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
        EXPECT_TRUE(QFileInfo::exists(sortie)) << cible;
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
        EXPECT_DOUBLE_EQ(releve.valeurs.back(), 1.0);
    }
}

} // namespace
