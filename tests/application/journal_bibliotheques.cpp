// A library's failure reaches the log file under that library's name, through the handler
// the application installs; ffmpeg's keeps the last lines of its output.
#include "Aides.h"
#include "commun/Dossier.h"
#include "conversions/Conversions.h"
#include "conversions/media_outils.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

TEST(JournalDesBibliotheques, chaqueEchecPorteLeNomDeSaBibliotheque)
{
    lierFFmpeg();
    Banc b;
    Dossier d;
    d.ecrire("photo.jpg", QByteArray("\xff\xd8\xff\xe0", 4) + QByteArray(3000, '\x5a'));
    d.ecrire("abime.mkv", QByteArray(4096, '\x1a'));
    const struct { const char* source; const char* cible; const char* ligne; bool ffmpeg; } cas[] = {
        {"photo.jpg", "png", "^vips : \\S", false},
        // Three non-empty lines of ffmpeg's output, one label, nothing else in that line.
        {"abime.mkv", "mp4", "^ffmpeg : [^|]+ \\| [^|]+ \\| [^|]+$", true},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.source);
        const int avant = int(b.log.messages().size());
        const Conversions::Resultat r = Conversions::convertir({d.chemin(c.source)}, c.cible, {});
        EXPECT_TRUE(r.crees.isEmpty());
        EXPECT_EQ(r.erreurs.size(), 1);
        const QStringList nouvelles = b.log.messages().mid(avant);
        EXPECT_FALSE(nouvelles.filter(QRegularExpression(c.ligne)).isEmpty()) << nouvelles.join('\n').toStdString();
        // The ffmpeg label is ffmpeg's alone.
        EXPECT_EQ(!nouvelles.filter(QRegularExpression("^ffmpeg : ")).isEmpty(), c.ffmpeg);
    }
}

} // namespace
