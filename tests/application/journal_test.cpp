#include "application/Journal.h"

#include "commun/Dossier.h"

#include <QDateTime>
#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

namespace {

// Points the log at a temporary state folder for one test.
class Journal : public ::testing::Test {
protected:
    void SetUp() override
    {
        ancien = qgetenv("XDG_STATE_HOME");
        qputenv("XDG_STATE_HOME", d.racine().toUtf8());
    }
    void TearDown() override { qputenv("XDG_STATE_HOME", ancien); }
    QStringList lignes()
    {
        QFile f(d.chemin(QStringLiteral("vemo-vododod/Vemo Vododod.log")));
        if (!f.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'));
    }
    Dossier d;
    QByteArray ancien;
};

TEST_F(Journal, FormatEtAjoutEnFin)
{
    journal(QStringLiteral("Vemo Vododod lancé"));
    journal(QStringLiteral("créé « photo.jpg »"));
    const QStringList l = lignes();
    ASSERT_EQ(l.size(), 3);
    EXPECT_TRUE(l[2].isEmpty());  // every line ends with a line feed
    const QRegularExpression heure(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d\\.\\d{3} "));
    EXPECT_TRUE(heure.match(l[0]).hasMatch()) << l[0].toStdString();
    EXPECT_EQ(l[0].mid(13), QStringLiteral("Vemo Vododod lancé"));
    EXPECT_EQ(l[1].mid(13), QStringLiteral("créé « photo.jpg »"));
    EXPECT_EQ(cheminDuJournal(), d.chemin(QStringLiteral("vemo-vododod/Vemo Vododod.log")));
}

TEST_F(Journal, HeureUTC)
{
    const QTime avant = QDateTime::currentDateTimeUtc().time();
    journal(QStringLiteral("x"));
    const QTime ecrite = QTime::fromString(lignes()[0].left(12), QStringLiteral("HH:mm:ss.zzz"));
    ASSERT_TRUE(ecrite.isValid());
    EXPECT_LE(std::abs(avant.msecsTo(ecrite)), 2000);
}

TEST_F(Journal, EcrivainsConcurrentsLignesEntieres)
{
    const QString longue(2000, QLatin1Char('a'));
    std::vector<std::thread> fils;
    for (int t = 0; t < 8; ++t)
        fils.emplace_back([&, t] {
            for (int i = 0; i < 50; ++i)
                journal(QStringLiteral("fil %1 ").arg(t) + longue);
        });
    for (auto& f : fils)
        f.join();
    QStringList l = lignes();
    l.removeLast();
    ASSERT_EQ(l.size(), 400);
    for (const QString& ligne : l)
        ASSERT_TRUE(ligne.endsWith(longue) && ligne.mid(13, 4) == QLatin1String("fil ")) << ligne.left(40).toStdString();
}

TEST_F(Journal, DossierImpossibleIgnore)
{
    // A file stands where the folder should be: nothing is written, nothing thrown.
    d.ecrire(QStringLiteral("vemo-vododod"), "un fichier");
    journal(QStringLiteral("perdu"));
    QFile f(d.chemin(QStringLiteral("vemo-vododod")));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), "un fichier");
}

} // namespace
