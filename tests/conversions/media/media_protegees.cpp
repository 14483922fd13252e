// Videos and sounds whose tracks are encrypted, sounds copied as they are, and inputs that
// ffmpeg cannot decode: each refusal says what is wrong with the source, and nothing is left.
#include "conversions/media_outils.h"

using namespace Conversions;

namespace {

QString protege(const QString& nom) { return QStringLiteral("« %1 » est protégé contre la copie").arg(nom); }

// Common encryption as DRM systems write it: "encv"/"enca" sample entries, a key per track.
const QStringList cenc{"-encryption_scheme", "cenc-aes-ctr", "-encryption_key", "00112233445566778899aabbccddeeff",
                       "-encryption_kid", "ffeeddccbbaa99887766554433221100"};

// The bytes after the index's "mdat" replaced: the file says what it holds, its samples are noise.
void brouiller(const Dossier& d, const QString& nom)
{
    QByteArray octets = lire(d.chemin(nom));
    const qsizetype debut = octets.indexOf("mdat") + 4;
    ASSERT_GT(debut, octets.indexOf("moov")) << "the index must come first";
    d.ecrire(nom, octets.left(debut) + QByteArray(octets.size() - debut, '\x5a'));
}

} // namespace

TEST(MediaProtegees, lesPistesChiffreesSontRefuseesCommeProtegees)
{
    lierFFmpeg();
    Dossier d;
    const QString film = d.chemin("film.mp4");
    ASSERT_TRUE(ffmpeg(QStringList{"-f", "lavfi", "-i", "testsrc=s=160x120:d=2", "-f", "lavfi", "-i", "sine=d=2"} + x264
                           + QStringList{"-c:a", "aac"} + cenc,
                       film));
    const QString chanson = d.chemin("chanson.m4a");
    ASSERT_TRUE(ffmpeg(QStringList{"-f", "lavfi", "-i", "sine=d=2", "-c:a", "aac"} + cenc, chanson));
    // Read with its key, the film is whole: the refusal is the encryption's, not damage.
    QString sortie;
    EXPECT_EQ(executer("ffmpeg", {"-v", "error", "-decryption_key", "00112233445566778899aabbccddeeff", "-i", film,
                                  "-f", "null", "-"}, &sortie), 0) << sortie.toStdString();
    EXPECT_TRUE(sortie.trimmed().isEmpty()) << sortie.toStdString();
    // The same bytes under an extension only ffmpeg's road takes.
    const QString copie = d.ecrire("film.mkv", lire(film));

    for (const char* cible : {"mov", "mp4", "leger", "gif", "m4a"})
        echoue(d, {film}, cible, {protege("film.mp4")});
    for (const char* cible : {"wav", "aiff", "mp3"})
        echoue(d, {chanson}, cible, {protege("chanson.m4a")});
    for (const char* cible : {"mp4", "m4a"})
        echoue(d, {copie}, cible, {protege("film.mkv")});
}

// "Son" copies an AAC track as it is; one whose samples do not decode is not passed on as a sound.
TEST(MediaProtegees, unSonCopieTelQuelDoitSeDecoder)
{
    lierFFmpeg();
    Dossier d;
    ASSERT_TRUE(ffmpeg({"-f", "lavfi", "-i", "sine=d=3", "-c:a", "aac", "-movflags", "+faststart", "-f", "mov"},
                       d.chemin("sourd.mov")));
    ASSERT_TRUE(ffmpeg({"-f", "lavfi", "-i", "sine=d=3", "-c:a", "aac", "-f", "mov"}, d.chemin("clair.mov")));
    brouiller(d, "sourd.mov");
    echoue(d, {d.chemin("sourd.mov")}, "m4a", {illisible("sourd.mov")});
    const QString son = convertirSeul(d.chemin("clair.mov"), "m4a");
    EXPECT_EQ(empreinte(son, "0:a:0"), empreinte(d.chemin("clair.mov"), "0:a:0"));
}

// What ffmpeg cannot make of a source is said of the source, never of the output.
TEST(MediaProtegees, unEchecDeLaSourceNeBlamePasLaSortie)
{
    lierFFmpeg();
    Dossier d;
    // A sample entry of a codec this ffmpeg does not know, as H.266 is to it.
    ASSERT_TRUE(ffmpeg(QStringList{"-f", "lavfi", "-i", "testsrc=s=64x48:d=1"} + x264, d.chemin("inconnu.mp4")));
    QByteArray octets = lire(d.chemin("inconnu.mp4"));
    const qsizetype entree = octets.indexOf("avc1", octets.indexOf("stsd"));
    ASSERT_GT(entree, 0);
    octets.replace(entree, 4, "vvc1");
    d.ecrire("inconnu.mp4", octets);
    ASSERT_TRUE(ffmpeg({"-f", "lavfi", "-i", "sine=d=1", "-c:a", "aac"}, d.chemin("voix.mp4")));

    for (const char* cible : {"mov", "mp4", "leger"})
        echoue(d, {d.chemin("inconnu.mp4")}, cible, {QString::fromUtf8("Impossible de convertir « inconnu.mp4 »")});
    echoue(d, {d.chemin("voix.mp4")}, "gif", {QString::fromUtf8("« voix.mp4 » n’a pas d’image")});
}
