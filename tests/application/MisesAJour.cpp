#include "Aides.h"
#include "application/MisesAJour.h"
#include "commun/Dossier.h"

#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>
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

namespace {

// A feed server on 127.0.0.1: it answers with a feed, sends one for ever, or never answers.
class ServeurDeFlux {
public:
    enum class Mode { flux, sansFin, muet };

    ServeurDeFlux(Mode mode, QByteArray corps = {}) : mode_(mode), corps_(std::move(corps))
    {
        EXPECT_TRUE(tcp_.listen(QHostAddress::LocalHost));
        QObject::connect(&tcp_, &QTcpServer::newConnection, [this] {
            QTcpSocket* s = tcp_.nextPendingConnection();
            ++connexions;
            QObject::connect(s, &QTcpSocket::disconnected, [this] { ++fermees; });
            QObject::connect(s, &QTcpSocket::readyRead, s, [this, s, requete = QByteArray(), servi = false]() mutable {
                requete += s->readAll();
                if (mode_ != Mode::muet && !servi && requete.contains("\r\n\r\n")) {
                    servi = true;
                    repondre(s);
                }
            });
        });
    }

    QString adresse() const { return QStringLiteral("http://127.0.0.1:%1/flux.xml").arg(tcp_.serverPort()); }

    int connexions = 0;
    int fermees = 0;
    qint64 envoyes = 0;

private:
    void repondre(QTcpSocket* s)
    {
        if (mode_ == Mode::flux) {
            s->write("HTTP/1.1 200 OK\r\nContent-Type: application/rss+xml\r\nContent-Length: "
                     + QByteArray::number(corps_.size()) + "\r\nConnection: close\r\n\r\n" + corps_);
            s->disconnectFromHost();
            return;
        }
        // No length, no end: the body runs until the reader goes.
        s->write("HTTP/1.1 200 OK\r\nContent-Type: application/rss+xml\r\nConnection: close\r\n\r\n<rss><channel>");
        const QByteArray bloc = QByteArray("<item><title>encore</title></item>").repeated(2000);
        const auto envoyer = [this, s, bloc] {
            while (s->state() == QAbstractSocket::ConnectedState && s->bytesToWrite() < bloc.size()) {
                s->write(bloc);
                envoyes += bloc.size();
            }
        };
        QObject::connect(s, &QTcpSocket::bytesWritten, s, envoyer);
        envoyer();
    }

    Mode mode_;
    QByteArray corps_;
    QTcpServer tcp_;
};

// Checks the feed at `adresse` and waits for the answer shown.
QString verifier(const QString& adresse, std::chrono::milliseconds delai = std::chrono::seconds(20))
{
    Application::Programmateur p(QJsonObject{{QStringLiteral("SUFeedURL"), adresse}});
    p.delai = delai;
    QString dit;
    p.afficher = [&](const QString& t) { dit = t; };
    p.checkForUpdates();
    EXPECT_TRUE(attendre([&] { return !dit.isEmpty(); }, 30000)) << adresse.toStdString();
    return dit;
}

} // namespace

// Feeds served over HTTP: read; cut at the size cap when they never end; dropped at the time
// limit when the server never answers. Each time the connection is closed by the reader.
TEST(MisesAJour, UnFluxHttpEstLuBorneEtArreteAuDelai)
{
    JournalDeTest log;
    QCoreApplication::setApplicationVersion(QStringLiteral("1.0.0"));
    {
        ServeurDeFlux serveur(ServeurDeFlux::Mode::flux, flux({"9.0"}));
        EXPECT_TRUE(verifier(serveur.adresse()).contains("9.0 est disponible"));
    }
    {
        ServeurDeFlux serveur(ServeurDeFlux::Mode::sansFin);
        const QString dit = verifier(serveur.adresse());
        EXPECT_TRUE(dit.contains("aucune version lisible")) << dit.toStdString();
        EXPECT_TRUE(log.contient("mises à jour : flux de plus de 512 Kio, lecture arrêtée"));
        EXPECT_TRUE(attendre([&] { return serveur.fermees == 1; }, 5000));
        // What lies in the sockets' buffers at most, beyond the cap.
        EXPECT_LT(serveur.envoyes, 64 << 20);
    }
    {
        ServeurDeFlux serveur(ServeurDeFlux::Mode::muet);
        const QString dit = verifier(serveur.adresse(), std::chrono::milliseconds(300));
        EXPECT_TRUE(dit.contains("injoignable")) << dit.toStdString();
        EXPECT_TRUE(log.contient("mises à jour : pas de réponse au bout de 0.3 s"));
        EXPECT_EQ(serveur.connexions, 1);
        EXPECT_TRUE(attendre([&] { return serveur.fermees == 1; }, 5000));
    }
}

// A local feed past the cap is not read to its end either.
TEST(MisesAJour, UnFluxLocalTropLongEstCoupe)
{
    JournalDeTest log;
    Dossier d;
    QCoreApplication::setApplicationVersion(QStringLiteral("1.0.0"));
    const QByteArray remplissage = QByteArray("<!-- rien -->\n").repeated(60000);
    const QString chemin = d.ecrire(QStringLiteral("long.xml"), remplissage + flux({"9.0"}));
    const QString dit = verifier(chemin);
    EXPECT_TRUE(dit.contains("aucune version lisible")) << dit.toStdString();
    EXPECT_TRUE(log.contient("mises à jour : flux de plus de 512 Kio, lecture arrêtée"));
}
