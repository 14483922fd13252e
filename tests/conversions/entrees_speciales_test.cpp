// Files that are not plain files, and files built to make a cheap read expensive.

#include "conversions/Conversions.h"

#include "commun/Dossier.h"
#include "commun/Echantillons.h"

#include <QFile>
#include <QFileInfo>
#include <chrono>
#include <fcntl.h>
#include <future>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString tube(const Dossier& d, const QString& nom)
{
    const QString chemin = d.chemin(nom);
    EXPECT_EQ(::mkfifo(QFile::encodeName(chemin).constData(), 0644), 0);
    return chemin;
}

// Runs `travail`; when it is still blocked after a few seconds the test fails and the
// pipes get a writer, which lets a reader stuck on them finish.
template <typename F>
auto sansBlocage(F travail, const QStringList& tubes)
{
    auto futur = std::async(std::launch::async, travail);
    if (futur.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
        ADD_FAILURE() << "blocked on " << tubes.join(QLatin1Char(' ')).toStdString();
        while (futur.wait_for(std::chrono::milliseconds(100)) != std::future_status::ready)
            for (const QString& t : tubes)
                ::close(::open(QFile::encodeName(t).constData(), O_RDWR | O_NONBLOCK));
    }
    return futur.get();
}

TEST(EntreesSpeciales, UnTubeNommeEstRefuseSansJamaisEtreLu)
{
    struct Cas {
        const char* nom;
        const char* id;
    };
    const Cas cas[] = {
        {"tube.pdf", "jpg"}, {"tube.pdf", "separer"}, {"tube.gif", "gifmp4"}, {"tube.gif", "jpg"},
        {"tube.png", "webp"}, {"tube.png", "leger"},  {"tube.wav", "mp3"},    {"tube.mov", "gif"},
        {"tube.mkv", "mp4"},  {"tube.zip", "extraire"}, {"tube.docx", "pdf"}, {"tube.pdf", "zip"},
    };
    for (const Cas& c : cas) {
        SCOPED_TRACE(std::string(c.nom) + " → " + c.id);
        Dossier d;
        const QString t = tube(d, QString::fromLatin1(c.nom));
        const auto r = sansBlocage([&] { return Conversions::convertir({t}, QString::fromLatin1(c.id), {}); }, {t});
        EXPECT_TRUE(r.crees.isEmpty());
        EXPECT_EQ(r.erreurs, QStringList{QStringLiteral("Impossible de lire « %1 »").arg(QString::fromLatin1(c.nom))});
        EXPECT_TRUE(d.noms().isEmpty());  // a pipe is not listed: nothing else is there
        EXPECT_TRUE(QFileInfo(t).exists());
    }
}

TEST(EntreesSpeciales, LaFusionRefuseUnTubeParmiDesImages)
{
    Dossier d;
    const QString image = Echantillons::image(d.chemin(QStringLiteral("a.png")));
    const QString t = tube(d, QStringLiteral("b.pdf"));
    const auto r = sansBlocage([&] { return Conversions::convertir({image, t}, QStringLiteral("pdf"), {}); }, {t});
    EXPECT_TRUE(r.crees.isEmpty());
    EXPECT_EQ(r.erreurs, QStringList{QStringLiteral("Impossible de lire « b.pdf »")});
    EXPECT_EQ(d.noms(), QStringList{QStringLiteral("a.png")});
}

TEST(EntreesSpeciales, LeCatalogueNeLitPasUnTube)
{
    Dossier d;
    const QString gif = tube(d, QStringLiteral("tube.gif"));
    const QString pdf = tube(d, QStringLiteral("tube.pdf"));
    const auto ids = [](const QList<Conversions::Petale>& petales) {
        QStringList l;
        for (const Conversions::Petale& p : petales)
            l << p.id;
        return l.join(QLatin1Char(' '));
    };
    EXPECT_EQ(ids(sansBlocage([&] { return Conversions::petales({gif}); }, {gif})),
              QStringLiteral("jpg png heic webp pdf leger ocr detour"));
    EXPECT_EQ(ids(sansBlocage([&] { return Conversions::petales({pdf}); }, {pdf})),
              QStringLiteral("jpg png txt docx"));
}

// A GIF whose first frame is followed by megabytes of one-byte comment blocks: the
// catalogue reads only the head of the file, so the second frame behind them is not met.
TEST(EntreesSpeciales, LaMarcheDUnGifResteBornee)
{
    Dossier d;
    QFile source(Echantillons::gif(d.chemin(QStringLiteral("deux.gif")), 2));
    ASSERT_TRUE(source.open(QIODevice::ReadOnly));
    const QByteArray gif = source.readAll();
    // The second frame starts at its Graphic Control Extension, after the first frame.
    const qsizetype second = gif.indexOf("\x21\xF9\x04", gif.indexOf("\x21\xF9\x04") + 1);
    ASSERT_GT(second, 0);
    auto avecCommentaires = [&](qsizetype octets) {
        QByteArray commentaire("\x21\xFE", 2);
        commentaire.reserve(octets + 3);
        for (qsizetype i = 0; i < octets / 2; ++i)
            commentaire.append("\x01x", 2);
        commentaire.append('\0');
        return gif.left(second) + commentaire + gif.mid(second);
    };
    const QString court = d.ecrire(QStringLiteral("court.gif"), avecCommentaires(1 << 20));
    const QString long_ = d.ecrire(QStringLiteral("long.gif"), avecCommentaires(20 << 20));
    EXPECT_EQ(Conversions::nombreDImages(court), 2);
    EXPECT_EQ(Conversions::nombreDImages(long_), 1);
    EXPECT_EQ(Conversions::petales({long_}).last().id, QStringLiteral("detour"));
}

} // namespace
