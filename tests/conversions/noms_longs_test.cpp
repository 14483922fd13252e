// Names near the system's 255-byte limit: when the output's name is legal, the conversion
// works, and nothing hidden is left beside it.

#include "conversions/Conversions.h"

#include "commun/Dossier.h"
#include "commun/Echantillons.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

TEST(NomsLongs, UnNomPresDeLaLimiteSeConvertit)
{
    struct Cas {
        QString base;
        const char* id;
        QString sortie;
    };
    const QString ascii(240, QLatin1Char('a'));
    const QString accents(120, QChar(0x00E9));  // "é", two bytes each: 240 bytes
    const QList<Cas> cas{
        {ascii, "jpg", ascii + ".jpg"},
        {ascii, "webp", ascii + ".webp"},
        {accents, "png", accents + ".png"},
        {accents, "pdf", accents + ".pdf"},
        {QString(200, QChar(0x00E9)).left(122), "heic", QString(200, QChar(0x00E9)).left(122) + ".heic"},
    };
    for (const Cas& c : cas) {
        SCOPED_TRACE(c.id);
        Dossier d;
        const QString extension = QString(c.id) == "png" ? QStringLiteral(".jpg") : QStringLiteral(".png");
        const QString nom = c.base + extension;
        ASSERT_LE(QFile::encodeName(nom).size(), 255);
        Echantillons::image(d.chemin(nom));
        const auto r = Conversions::convertir({d.chemin(nom)}, QString::fromLatin1(c.id), {});
        EXPECT_TRUE(r.erreurs.isEmpty()) << r.erreurs.join(' ').toStdString();
        EXPECT_EQ(r.crees, QStringList{d.chemin(c.sortie)});
        QStringList noms = d.noms(), attendus{nom, c.sortie};
        noms.sort();
        attendus.sort();
        EXPECT_EQ(noms, attendus);
    }
}

} // namespace
