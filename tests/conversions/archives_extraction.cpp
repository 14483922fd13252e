// Unpacking a zip beside itself: naming, left-out entries, damaged and hostile archives.
#include "archives_fabrique.h"
#include "ffmpeg_medias.h"

#include "conversions/Archives.h"
#include "conversions/Conversions.h"

#include <QDir>
#include <QFile>
#include <QUuid>
#include <clocale>
#include <gtest/gtest.h>

using namespace Conversions;
using namespace Fabrique;

namespace {

QByteArray contenu(const QString& chemin)
{
    QFile f(chemin);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<absent>");
}

QStringList tout(const QString& dossier)
{
    QStringList l = QDir(dossier).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    l.sort();
    return l;
}

class ArchivesExtraction : public ::testing::Test {
protected:
    QString zip(const QString& nom, const std::vector<Entree>& entrees)
    {
        const QString c = d.chemin(nom);
        Fabrique::ecrireZip(c, entrees);
        return c;
    }
    QStringList extraire(const QString& archive)
    {
        const Resultat r = convertir({archive}, "extraire", {});
        erreurs = r.erreurs;
        return r.crees;
    }
    Dossier d;
    QStringList erreurs;
};

} // namespace

TEST_F(ArchivesExtraction, OneFolderComesOutUnderItsOwnNameWithoutTheMacLeftovers)
{
    const QString a = zip("envoi.zip", {dossier("Projet/"),
                                        fichier("Projet/plan.txt", "plan"),
                                        fichier("Projet/sous/notes.md", "notes"),
                                        fichier("__MACOSX/Projet/._plan.txt", "x"),
                                        fichier(".DS_Store", "x")});
    EXPECT_EQ(extraire(a), QStringList{d.chemin("Projet")});
    EXPECT_EQ(contenu(d.chemin("Projet/sous/notes.md")), "notes");
    EXPECT_EQ(extraire(a), QStringList{d.chemin("Projet 2")});
    EXPECT_EQ(contenu(d.chemin("Projet 2/plan.txt")), "plan");
    EXPECT_EQ(tout(d.racine()), (QStringList{"Projet", "Projet 2", "envoi.zip"}));
}

TEST_F(ArchivesExtraction, OneFileKeepsItsNameThenTakesACounter)
{
    const QString a = zip("paquet.zip", {fichier("notes.txt", "bonjour")});
    EXPECT_EQ(extraire(a), QStringList{d.chemin("notes.txt")});
    EXPECT_EQ(extraire(a), QStringList{d.chemin("notes 2.txt")});
    EXPECT_EQ(contenu(d.chemin("notes 2.txt")), "bonjour");
    EXPECT_EQ(tout(d.racine()), (QStringList{"notes 2.txt", "notes.txt", "paquet.zip"}));
}

TEST_F(ArchivesExtraction, SeveralEntriesGoIntoAFolderNamedAfterTheArchive)
{
    const QString a = zip("archive.zip", {fichier("un.txt", "1"), dossier("deux/"), fichier("deux/trois.txt", "3")});
    EXPECT_EQ(extraire(a), QStringList{d.chemin("archive")});
    EXPECT_EQ(extraire(a), QStringList{d.chemin("archive 2")});
    EXPECT_EQ(tout(d.chemin("archive 2")), (QStringList{"deux", "un.txt"}));
    EXPECT_EQ(contenu(d.chemin("archive/deux/trois.txt")), "3");

    const QString vide = zip("vide.zip", {dossier("__MACOSX/"), fichier("__MACOSX/._x", "x"), fichier(".DS_Store", "x")});
    EXPECT_EQ(extraire(vide), QStringList{d.chemin("vide")});
    EXPECT_TRUE(tout(d.chemin("vide")).isEmpty());
}

TEST_F(ArchivesExtraction, NamesAreUtf8WhateverTheLocale)
{
    const std::string avant = std::setlocale(LC_CTYPE, nullptr);
    std::setlocale(LC_CTYPE, "C");
    const QString nom = QString::fromUtf8("Été à Noël.txt");
    const QStringList crees = extraire(zip("accents.zip", {fichier(nom, "neige")}));
    std::setlocale(LC_CTYPE, avant.c_str());
    EXPECT_EQ(crees, QStringList{d.chemin(nom)}) << erreurs.join(", ").toStdString();
    EXPECT_EQ(contenu(d.chemin(nom)), "neige");
}

TEST_F(ArchivesExtraction, DamagedOrEncryptedArchivesFailAndLeaveNoWorkFolder)
{
    const QString bonne = zip("bonne.zip", {fichier("a.txt", QByteArray(5000, 'a')), fichier("b.txt", QByteArray(5000, 'b'))});
    QByteArray octets = contenu(bonne);
    QFile::remove(bonne);
    octets[octets.size() / 3] = '\xff';
    octets.truncate(octets.size() - 30);
    d.ecrire("tronquee.zip", octets);
    QByteArray bruit(5000, '\0');
    for (int i = 0; i < bruit.size(); ++i)
        bruit[i] = static_cast<char>((i * 7919) % 251);
    const QString saine = zip("abimee.zip", {fichier("bruit.bin", bruit)});
    QByteArray abimee = contenu(saine);
    abimee[200] = static_cast<char>(abimee[200] ^ 0x5a);  // inside the data, headers intact
    QFile::remove(saine);
    d.ecrire("abimee.zip", abimee);
    d.ecrire("texte.zip", "ceci n’est pas une archive");
    d.ecrire("secret.txt", "confidentiel");
    ASSERT_EQ(executer("zip", {"-q", "-j", "-P", "motdepasse", d.chemin("cle.zip"), d.chemin("secret.txt")}), 0);
    QFile::remove(d.chemin("secret.txt"));

    const Resultat r = convertir({d.chemin("abimee.zip"), d.chemin("tronquee.zip"), d.chemin("texte.zip"),
                                  d.chemin("cle.zip")}, "extraire", {});
    EXPECT_TRUE(r.crees.isEmpty()) << r.crees.join(", ").toStdString();
    EXPECT_EQ(r.erreurs, (QStringList{QString::fromUtf8("Impossible de lire « abimee.zip »"),
                                      QString::fromUtf8("Impossible de lire « tronquee.zip »"),
                                      QString::fromUtf8("Impossible de lire « texte.zip »"),
                                      QString::fromUtf8("Impossible de lire « cle.zip »")}));
    EXPECT_EQ(tout(d.racine()), (QStringList{"abimee.zip", "cle.zip", "texte.zip", "tronquee.zip"}));
}

// Nothing of a hostile archive may land outside the folder it is unpacked in.
TEST_F(ArchivesExtraction, EntriesEscapingTheFolderAreRefused)
{
    Dossier dehors;
    const QString absolu = dehors.chemin("absolu.txt");
    const QString cible = d.creerDossier("cible");
    const std::vector<std::vector<Entree>> hostiles{
        {fichier("ok.txt", "1"), fichier("../remonte.txt", "x")},
        {fichier("ok.txt", "1"), fichier(absolu, "x")},
        {lien("lien", dehors.racine()), fichier("lien/par-le-lien.txt", "x")},
    };
    int i = 0;
    for (const auto& entrees : hostiles) {
        const QString a = zip(QStringLiteral("cible/hostile%1.zip").arg(++i), entrees);
        const QStringList crees = extraire(a);
        EXPECT_TRUE(crees.isEmpty()) << crees.join(", ").toStdString();
        EXPECT_EQ(erreurs, QStringList{QString::fromUtf8("Impossible de lire « hostile%1.zip »").arg(i)});
    }
    EXPECT_FALSE(QFileInfo::exists(d.chemin("remonte.txt")));  // beside the target folder
    EXPECT_TRUE(tout(dehors.racine()).isEmpty());
    EXPECT_EQ(tout(cible), (QStringList{"hostile1.zip", "hostile2.zip", "hostile3.zip"}));
}

TEST_F(ArchivesExtraction, AnArchiveUnpackingPastTheBoundStopsAndLeavesNothing)
{
    const QString bombe = zip("bombe.zip", {fichier("petit.txt", "1"), zeros("zeros.bin", 48 << 20)});
    EXPECT_LT(QFileInfo(bombe).size(), 1 << 20);
    try {
        Conversions::extraire(bombe, 8 << 20);
        FAIL() << "unpacked past the bound";
    } catch (const Erreur& e) {
        EXPECT_EQ(e.message(), QString::fromUtf8("Pas assez d’espace disque pour extraire « bombe.zip »"));
    }
    EXPECT_EQ(tout(d.racine()), QStringList{"bombe.zip"});
    // Within the bound it unpacks whole.
    EXPECT_EQ(Conversions::extraire(bombe, 64 << 20), d.chemin("bombe"));
    EXPECT_EQ(QFileInfo(d.chemin("bombe/zeros.bin")).size(), 48 << 20);
}
