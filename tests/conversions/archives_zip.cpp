// Packing dropped items into one zip with the system's zip, read back by zipinfo and unzip.
#include "ffmpeg_medias.h"

#include "conversions/Conversions.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace Conversions;

namespace {

QStringList entrees(const QString& zip)
{
    QString texte;
    EXPECT_EQ(executer("zipinfo", {"-1", zip}, &texte), 0) << texte.toStdString();
    QStringList l = texte.split('\n', Qt::SkipEmptyParts);
    l.sort();
    return l;
}

bool intacte(const QString& zip)
{
    return executer("unzip", {"-tq", zip}) == 0;
}

QString lire(const QString& zip, const QString& entree)
{
    QString texte;
    executer("unzip", {"-p", zip, entree}, &texte);
    return texte;
}

Resultat zipper(const QStringList& chemins)
{
    return convertir(chemins, "zip", {});
}

} // namespace

TEST(ArchivesZip, NamesFollowTheFirstItemAndTheCount)
{
    Dossier d;
    d.ecrire("Photos 2024/plage.jpg", "sable");
    d.ecrire("Photos 2024/.DS_Store", "x");
    d.ecrire("Photos 2024/__MACOSX/._plage.jpg", "x");
    d.ecrire("Photos 2024/soir/lune.jpg", "nuit");
    const Resultat dossier = zipper({d.chemin("Photos 2024")});
    ASSERT_EQ(dossier.crees, QStringList{d.chemin("Photos 2024.zip")}) << dossier.erreurs.join(", ").toStdString();
    EXPECT_TRUE(intacte(dossier.crees[0]));
    EXPECT_EQ(entrees(dossier.crees[0]), (QStringList{"Photos 2024/", "Photos 2024/plage.jpg", "Photos 2024/soir/",
                                                      "Photos 2024/soir/lune.jpg"}));
    EXPECT_EQ(lire(dossier.crees[0], "Photos 2024/soir/lune.jpg"), "nuit");

    const QString rapport = d.ecrire("rapport.final.pdf", "%PDF");
    EXPECT_EQ(zipper({rapport}).crees, QStringList{d.chemin("rapport.final.zip")});
    EXPECT_EQ(zipper({rapport}).crees, QStringList{d.chemin("rapport.final 2.zip")});

    const QStringList trois{d.ecrire("a.txt", "A"), d.ecrire("b.txt", "B"), d.ecrire("c.txt", "C")};
    const Resultat r = zipper(trois);
    ASSERT_EQ(r.crees, QStringList{d.chemin("a et 2 autres.zip")});
    EXPECT_EQ(entrees(r.crees[0]), (QStringList{"a.txt", "b.txt", "c.txt"}));
    EXPECT_EQ(lire(r.crees[0], "b.txt"), "B");
}

TEST(ArchivesZip, OddNamesStayFileNames)
{
    Dossier d;
    const QStringList noms{"-rf.txt", "a[1].txt", QString::fromUtf8("Été * café.txt"), ".cache"};
    QStringList chemins;
    for (const QString& n : noms)
        chemins << d.ecrire("source/" + n, n.toUtf8());
    const Resultat r = zipper(chemins);
    ASSERT_EQ(r.crees, QStringList{d.chemin("source/-rf et 3 autres.zip")}) << r.erreurs.join(", ").toStdString();
    EXPECT_TRUE(intacte(r.crees[0]));
    QStringList attendus = noms;
    attendus.sort();
    EXPECT_EQ(entrees(r.crees[0]), attendus);
    EXPECT_EQ(lire(r.crees[0], "a[[]1].txt"), "a[1].txt");
}

TEST(ArchivesZip, TwoItemsOfTheSameNameFailAndLeaveNothing)
{
    Dossier d;
    Dossier temp;
    const QByteArray avant = qgetenv("TMPDIR");
    qputenv("TMPDIR", temp.racine().toUtf8());
    const Resultat r = zipper({d.ecrire("x/notes.txt", "1"), d.ecrire("y/notes.txt", "2")});
    const QStringList restes = temp.noms();
    qputenv("TMPDIR", avant);

    EXPECT_TRUE(r.crees.isEmpty());
    ASSERT_EQ(r.erreurs.size(), 1);
    EXPECT_TRUE(r.erreurs[0].contains(QString::fromUtf8("« notes.txt »"))) << r.erreurs[0].toStdString();
    EXPECT_EQ(QDir(d.chemin("x")).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{"notes.txt"});
    EXPECT_TRUE(restes.isEmpty()) << restes.join(", ").toStdString();
}

TEST(ArchivesZip, AnEmptyDropIsRefused)
{
    const Resultat r = zipper({});
    EXPECT_TRUE(r.crees.isEmpty());
    EXPECT_EQ(r.erreurs, QStringList{QString::fromUtf8("Impossible de lire «  »")});
}
