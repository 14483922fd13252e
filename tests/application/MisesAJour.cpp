#include "Aides.h"
#include "application/MisesAJour.h"
#include "commun/Dossier.h"

#include <QElapsedTimer>
#include <QFile>
#include <QJsonObject>
#include <QJsonValue>
#include <QUrl>
#include <QThreadPool>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray flux(const QStringList& versions)
{
    QByteArray x = "<?xml version=\"1.0\"?>\n<rss version=\"2.0\" "
                   "xmlns:sparkle=\"http://www.andymatuschak.org/xml-namespaces/sparkle\"><channel>";
    for (const QString& v : versions)
        x += "<item><title>v</title><enclosure url=\"https://example.invalid/a.zip\" sparkle:version=\""
             + v.toUtf8() + "\" sparkle:shortVersionString=\"" + v.toUtf8() + "\"/></item>";
    return x + "</channel></rss>";
}

} // namespace

TEST(MisesAJour, DemarreSeulementAvecUneCleTexte)
{
    for (const QJsonValue& cle : {QJsonValue(), QJsonValue(42), QJsonValue(QStringLiteral("clé"))}) {
        Application::MisesAJour m(cle.isNull() ? QJsonObject{} : QJsonObject{{QStringLiteral("SUPublicEDKey"), cle}});
        m.demarrer();
        EXPECT_EQ(m.controleur().enMarche(), cle.isString()) << cle.toVariant().toString().toStdString();
    }
    // The application's own information holds its key.
    EXPECT_TRUE(Application::MisesAJour::information().value(QStringLiteral("SUPublicEDKey")).isString());
}

TEST(MisesAJour, VerdictSurLaPlusHauteVersionDuFlux)
{
    EXPECT_TRUE(Application::Programmateur::verdict(flux({"1.0.0", "1.2.0", "1.1.5"}), "1.0.0").contains("1.2.0 est disponible"));
    EXPECT_TRUE(Application::Programmateur::verdict(flux({"0.9", "1.0.0"}), "1.0.0").contains("1.0.0 est à jour"));
    // 1.10 is above 1.9: versions compare by number, not by text.
    EXPECT_TRUE(Application::Programmateur::verdict(flux({"1.10"}), "1.9").contains("disponible"));
    for (const QByteArray& rien : {QByteArray("<rss><channel>"), QByteArray("pas du xml")})
        EXPECT_TRUE(Application::Programmateur::verdict(rien, "1.0").contains("aucune version")) << rien.constData();
}

TEST(MisesAJour, LaRechercheLitLeFluxEtRepondSurLeFilPrincipal)
{
    JournalDeTest log;
    Dossier d;
    const QString chemin = d.ecrire(QStringLiteral("flux.xml"), flux({"9.0"}));
    QCoreApplication::setApplicationVersion(QStringLiteral("1.0.0"));
    for (const QString& adresse : {chemin, QUrl::fromLocalFile(chemin).toString(), d.chemin(QStringLiteral("absent.xml"))}) {
        Application::Programmateur p(QJsonObject{{QStringLiteral("SUFeedURL"), adresse}});
        QString dit;
        bool surLeFilPrincipal = false;
        p.afficher = [&](const QString& t) {
            dit = t;
            surLeFilPrincipal = QThread::currentThread() == QCoreApplication::instance()->thread();
        };
        p.checkForUpdates();
        ASSERT_TRUE(attendre([&] { return !dit.isEmpty(); })) << adresse.toStdString();
        EXPECT_TRUE(surLeFilPrincipal);
        EXPECT_TRUE(dit.contains(adresse.endsWith("absent.xml") ? "injoignable" : "9.0 est disponible"))
            << dit.toStdString();
    }
}

// A feed that never answers (a pipe no one writes to): the check answers at its time limit,
// on the main thread, and keeps no thread of the shared pool.
TEST(MisesAJour, UnFluxMuetRepondInjoignableAuBoutDuDelai)
{
    JournalDeTest log;
    Dossier d;
    const QString tube = d.chemin(QStringLiteral("muet.xml"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(tube).constData(), 0600), 0);
    Application::Programmateur p(QJsonObject{{QStringLiteral("SUFeedURL"), tube}});
    p.delai = std::chrono::milliseconds(300);
    QString dit;
    p.afficher = [&](const QString& t) { dit = t; };
    QElapsedTimer t;
    t.start();
    p.checkForUpdates();
    ASSERT_TRUE(attendre([&] { return !dit.isEmpty(); }, 10000));
    EXPECT_TRUE(dit.contains("injoignable")) << dit.toStdString();
    EXPECT_GE(t.elapsed(), 300);
    EXPECT_TRUE(log.contient("mises à jour : pas de réponse au bout de 0.3 s"));
    EXPECT_TRUE(QThreadPool::globalInstance()->waitForDone(1000));
    // The blocked read ends: a writer comes and goes.
    const int fd = ::open(QFile::encodeName(tube).constData(), O_WRONLY | O_NONBLOCK);
    if (fd >= 0)
        ::close(fd);
}
