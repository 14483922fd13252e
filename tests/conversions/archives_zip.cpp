// Packing dropped items into one zip with the system's zip, read back by zipinfo and unzip.
#include "conversions/media_outils.h"

using namespace Conversions;

namespace {

// The entries of an archive that unzip finds whole, sorted.
QStringList entrees(const QString& zip)
{
    EXPECT_EQ(executer("unzip", {"-tq", zip}), 0) << zip.toStdString();
    QString texte;
    EXPECT_EQ(executer("zipinfo", {"-1", zip}, &texte), 0) << texte.toStdString();
    QStringList l = texte.split('\n', Qt::SkipEmptyParts);
    l.sort();
    return l;
}

QString lire(const QString& zip, const QString& entree)
{
    QString texte;
    executer("unzip", {"-p", zip, entree}, &texte);
    return texte;
}

QStringList zipper(const QStringList& chemins)
{
    const Resultat r = convertir(chemins, "zip", {});
    EXPECT_TRUE(r.erreurs.isEmpty()) << r.erreurs.join(", ").toStdString();
    return r.crees;
}

} // namespace

TEST(ArchivesZip, NamesFollowTheFirstItemAndTheCount)
{
    Dossier d;
    d.ecrire("Photos 2024/plage.jpg", "sable");
    d.ecrire("Photos 2024/.DS_Store", "x");
    d.ecrire("Photos 2024/__MACOSX/._plage.jpg", "x");
    d.ecrire("Photos 2024/soir/lune.jpg", "nuit");
    const QStringList dossier = zipper({d.chemin("Photos 2024")});
    ASSERT_EQ(dossier, QStringList{d.chemin("Photos 2024.zip")});
    EXPECT_EQ(entrees(dossier[0]), (QStringList{"Photos 2024/", "Photos 2024/plage.jpg", "Photos 2024/soir/",
                                                "Photos 2024/soir/lune.jpg"}));
    EXPECT_EQ(lire(dossier[0], "Photos 2024/soir/lune.jpg"), "nuit");

    const QString rapport = d.ecrire("rapport.final.pdf", "%PDF");
    EXPECT_EQ(zipper({rapport}), QStringList{d.chemin("rapport.final.zip")});
    EXPECT_EQ(zipper({rapport}), QStringList{d.chemin("rapport.final 2.zip")});

    const QStringList trois = zipper({d.ecrire("a.txt", "A"), d.ecrire("b.txt", "B"), d.ecrire("c.txt", "C")});
    ASSERT_EQ(trois, QStringList{d.chemin("a et 2 autres.zip")});
    EXPECT_EQ(entrees(trois[0]), (QStringList{"a.txt", "b.txt", "c.txt"}));
    EXPECT_EQ(lire(trois[0], "b.txt"), "B");

    // Odd names stay file names, never options or patterns.
    QStringList noms{"-rf.txt", "a[1].txt", QString::fromUtf8("Été * café.txt"), ".cache"};
    QStringList chemins;
    for (const QString& n : noms)
        chemins << d.ecrire("source/" + n, n.toUtf8());
    const QStringList bizarres = zipper(chemins);
    ASSERT_EQ(bizarres, QStringList{d.chemin("source/-rf et 3 autres.zip")});
    noms.sort();
    EXPECT_EQ(entrees(bizarres[0]), noms);
    EXPECT_EQ(lire(bizarres[0], "a[[]1].txt"), "a[1].txt");
}

TEST(ArchivesZip, TwoItemsOfTheSameNameOrNoneFailAndLeaveNothing)
{
    Dossier d;
    Dossier temp;
    const QByteArray avant = qgetenv("TMPDIR");
    qputenv("TMPDIR", temp.racine().toUtf8());
    const QStringList sources{d.ecrire("x/notes.txt", "1"), d.ecrire("y/notes.txt", "2")};
    const Resultat r = convertir(sources, "zip", {});
    const QStringList restes = temp.noms();
    qputenv("TMPDIR", avant);

    EXPECT_TRUE(r.crees.isEmpty());
    ASSERT_EQ(r.erreurs.size(), 1);
    EXPECT_TRUE(r.erreurs[0].contains(QString::fromUtf8("« notes.txt »"))) << r.erreurs[0].toStdString();
    EXPECT_EQ(d.noms(), (QStringList{"x", "y"}));
    EXPECT_EQ(QDir(d.chemin("x")).entryList(QDir::Files | QDir::Hidden), QStringList{"notes.txt"});
    EXPECT_TRUE(restes.isEmpty()) << restes.join(", ").toStdString();

    echoue(d, {}, "zip", {illisible("")});
}
