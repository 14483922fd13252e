// Sounds whose uncompressed copy passes 4 GB: a WAV then becomes RF64, whose sizes are 64-bit,
// and an AIFF, whose sizes are signed 32-bit numbers, is refused before anything is written.
// The sources are sparse RF64 files of silence: they take no room on the disk.
#include "conversions/media_outils.h"

#include <sys/statvfs.h>

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

template <typename T>
QByteArray petitBoutiste(T v)
{
    QByteArray b(sizeof(T), '\0');
    for (size_t i = 0; i < sizeof(T); ++i)
        b[static_cast<qsizetype>(i)] = static_cast<char>((static_cast<quint64>(v) >> (8 * i)) & 0xFF);
    return b;
}

// An RF64 file of silence whose sound data is a hole in the file.
QString silenceCreux(const QString& chemin, const Silence& s)
{
    const int trame = canaux * s.bits / 8;
    QByteArray entete = "RF64" + petitBoutiste<quint32>(0xFFFFFFFF) + "WAVE";
    entete += "ds64" + petitBoutiste<quint32>(28) + petitBoutiste<quint64>(s.octets() + 72)
              + petitBoutiste<quint64>(s.octets()) + petitBoutiste<quint64>(s.trames) + petitBoutiste<quint32>(0);
    entete += "fmt " + petitBoutiste<quint32>(16) + petitBoutiste<quint16>(1) + petitBoutiste<quint16>(canaux)
              + petitBoutiste<quint32>(frequence) + petitBoutiste<quint32>(frequence * trame)
              + petitBoutiste<quint16>(trame) + petitBoutiste<quint16>(s.bits);
    entete += "data" + petitBoutiste<quint32>(0xFFFFFFFF);
    QFile f(chemin);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly) && f.write(entete) == entete.size() && f.resize(entete.size() + s.octets()));
    return chemin;
}

bool placeLibre(const QString& dossier, qint64 voulu)
{
    struct statvfs s {};
    return ::statvfs(QFile::encodeName(dossier).constData(), &s) == 0
           && static_cast<qint64>(s.f_bavail) * static_cast<qint64>(s.f_frsize) > voulu;
}

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
    verifierRF64(silenceCreux(d.chemin("nuit.wav"), en24), en24);
}

// ffmpeg reads the sound whatever its name: through the ffmpeg conversion as an OGG would.
TEST_F(AudioGrand, UnWavDePlusDe4GoParFFmpegEstEnRF64)
{
    if (!placeLibre(d.racine(), 3 * en16.octets()))  // the copy, and ffmpeg's intermediate
        GTEST_SKIP() << "pas assez de place libre sous " << d.racine().toStdString();
    verifierRF64(silenceCreux(d.chemin("nuit.oga"), en16), en16);
}

TEST_F(AudioGrand, UnAiffTropLongEstRefuseAvantToutEcrit)
{
    for (const char* nom : {"nuit.wav", "nuit.oga"}) {
        const QString source = silenceCreux(d.chemin(nom), en16);
        echoue(d, {source}, "aiff", {QStringLiteral("« %1 » est trop long pour un fichier AIFF").arg(nom)});
        QFile::remove(source);
    }
}

} // namespace
