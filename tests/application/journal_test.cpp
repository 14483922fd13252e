#include "Aides.h"
#include "application/Journal.h"
#include "conversions/Chemins.h"

#include <QDateTime>
#include <QFileInfo>
#include <QRegularExpression>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

// Lines are appended, each stamped with the UTC time and ended by a line feed.
TEST(Journal, FormatHeureUTCEtAjoutEnFin)
{
    JournalDeTest log;
    const QTime avant = QDateTime::currentDateTimeUtc().time();
    Application::journal("Vemo Vododod lancé");
    Application::journal("créé « photo.jpg »");
    QFile f(Application::cheminDuJournal());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray texte = f.readAll();
    EXPECT_TRUE(texte.endsWith('\n'));
    EXPECT_TRUE(QRegularExpression("^\\d\\d:\\d\\d:\\d\\d\\.\\d{3} ").match(QString(texte)).hasMatch());
    const QTime ecrite = QTime::fromString(QString(texte.left(12)), "HH:mm:ss.zzz");
    EXPECT_LE(std::abs(avant.msecsTo(ecrite)), 2000);
    EXPECT_EQ(log.messages(), (QStringList{"Vemo Vododod lancé", "créé « photo.jpg »"}));
    EXPECT_TRUE(Application::cheminDuJournal().endsWith("/vemo-vododod/Vemo Vododod.log"));
}

// A line break inside a message (a file's name may hold one) stays inside its line, and a
// name that is not UTF-8 reads as Latin-1.
TEST(Journal, SautDeLigneEchappe)
{
    JournalDeTest log;
    Application::journal("créé « deux\nlignes\r.jpg »");
    Application::journal("créé « " + Conversions::cheminDepuisOctets("caf\xe9.jpg") + " »");
    EXPECT_EQ(log.messages(), (QStringList{"créé « deux\\nlignes\\r.jpg »", "créé « café.jpg »"}));
}

// A character beyond U+FFFF ends in a surrogate that a stray byte's escape could be taken
// for: beside a real stray byte, each reads as itself.
TEST(Journal, UnEmojiResteEntierPresDUnOctetLatin1)
{
    JournalDeTest log;
    Application::journal("créé « " + Conversions::cheminDepuisOctets("caf\xe9\xf0\x9f\x92\xa9.jpg") + " »");
    EXPECT_EQ(log.messages(), QStringList{QString::fromUtf8("créé « café💩.jpg »")});
}

TEST(Journal, EcrivainsConcurrentsLignesEntieres)
{
    JournalDeTest log;
    const QString longue(2000, 'a');
    std::vector<std::thread> fils;
    for (int t = 0; t < 8; ++t)
        fils.emplace_back([&, t] {
            for (int i = 0; i < 50; ++i)
                Application::journal(QString("fil %1 ").arg(t) + longue);
        });
    for (auto& f : fils)
        f.join();
    const QStringList l = log.messages();
    ASSERT_EQ(l.size(), 400);
    for (const QString& ligne : l)
        ASSERT_TRUE(ligne.endsWith(longue) && ligne.startsWith("fil ")) << ligne.left(40).toStdString();
}

// A file stands where the folder should be: nothing is written, nothing thrown.
TEST(Journal, DossierImpossibleIgnore)
{
    JournalDeTest log;
    const QString dossier = QFileInfo(Application::cheminDuJournal()).path();
    QFile f(dossier);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write("un fichier") == 10);
    f.close();
    Application::journal("perdu");
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), "un fichier");
}
