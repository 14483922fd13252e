// Sounds whose uncompressed copy passes 4 GB: a WAV then becomes RF64, whose sizes are 64-bit,
// and an AIFF, whose sizes are signed 32-bit numbers, is refused before anything is written.
// The sources are sparse RF64 files of silence: they take no room on the disk.
#include "conversions/media_outils.h"

#include <QStorageInfo>

namespace {

constexpr int canaux = 8;
constexpr int frequence = 48000;

// 4.32 GB of sound either way: fewer samples in 24 bits, which the in-process writer keeps;
// ffmpeg's intermediate is always of 16 bits.
struct Silence {
    int bits;
    qint64 trames;
    qint64 octets() const { return trames * canaux * bits / 8; }
};
constexpr Silence en24{24, 180'000'000};
constexpr Silence en16{16, 270'000'000};

bool placeLibre(const QString& dossier, qint64 voulu) { return QStorageInfo(dossier).bytesAvailable() > voulu; }

class AudioGrand : public ::testing::Test {
protected:
    void SetUp() override { lierFFmpeg(); }
    // The WAV made from `source` reads back whole, through readers that are not ours.
    void verifierRF64(const QString& source, const Silence& s)
    {
        const QString wav = convertirSeul(source, "wav");
        EXPECT_GT(QFileInfo(wav).size(), qint64(0xFFFFFFFF));
        QFile f(wav);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.read(4), "RF64");
        f.close();
        EXPECT_NEAR(duree(sonde(wav)), s.trames / double(frequence), 0.01);
        EXPECT_EQ(sortieDe("soxi", {"-s", wav}).trimmed(), QString::number(s.trames));
        QFile::remove(wav);
    }
    Dossier d;
};

TEST_F(AudioGrand, UnWavDePlusDe4GoEstEnRF64)
{
    if (!placeLibre(d.racine(), 2 * en24.octets()))
        GTEST_SKIP() << "pas assez de place libre sous " << d.racine().toStdString();
    verifierRF64(silenceCreux(d.chemin("nuit.wav"), en24.bits, canaux, frequence, en24.trames), en24);
}

// ffmpeg reads the sound whatever its name: through the ffmpeg conversion as an OGG would.
TEST_F(AudioGrand, UnWavDePlusDe4GoParFFmpegEstEnRF64)
{
    if (!placeLibre(d.racine(), 3 * en16.octets()))  // the copy, and ffmpeg's intermediate
        GTEST_SKIP() << "pas assez de place libre sous " << d.racine().toStdString();
    verifierRF64(silenceCreux(d.chemin("nuit.oga"), en16.bits, canaux, frequence, en16.trames), en16);
}

TEST_F(AudioGrand, UnAiffTropLongEstRefuseAvantToutEcrit)
{
    for (const char* nom : {"nuit.wav", "nuit.oga"}) {
        const QString source = silenceCreux(d.chemin(nom), en16.bits, canaux, frequence, en16.trames);
        echoue(d, {source}, "aiff", {QStringLiteral("« %1 » est trop long pour un fichier AIFF").arg(nom)});
        QFile::remove(source);
    }
}

} // namespace
