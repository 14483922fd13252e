#include "Aides.h"
#include "application/MisesAJour.h"
#include "commun/Dossier.h"

#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QFile>
#include <QJsonObject>
#include <QJsonValue>
#include <QRegularExpression>
#include <QUrl>
#include <QThreadPool>
#include <arpa/inet.h>
#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <thread>
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

// A local feed that is a pipe no one writes to: refused at once, on the main thread, and no
// thread stays blocked opening it.
TEST(MisesAJour, UnFluxQuiNEstPasUnFichierEstRefuseSansAttendre)
{
    JournalDeTest log;
    Dossier d;
    const QString tube = d.chemin(QStringLiteral("muet.xml"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(tube).constData(), 0600), 0);
    for (const QString& adresse : {tube, QUrl::fromLocalFile(tube).toString()}) {
        Application::Programmateur p(QJsonObject{{QStringLiteral("SUFeedURL"), adresse}});
        p.delai = std::chrono::seconds(20);
        QString dit;
        p.afficher = [&](const QString& t) { dit = t; };
        p.checkForUpdates();
        // Well before the time limit.
        ASSERT_TRUE(attendre([&] { return !dit.isEmpty(); }, 10000)) << adresse.toStdString();
        EXPECT_TRUE(dit.contains("injoignable")) << dit.toStdString();
        EXPECT_TRUE(log.contient(QStringLiteral("mises à jour : « %1 » n’est pas un fichier ordinaire").arg(tube)));
        EXPECT_FALSE(log.contient("mises à jour : pas de réponse au bout de 20 s"));
        // A writer that does not wait finds no reader: nothing holds the pipe open.
        const int fd = ::open(QFile::encodeName(tube).constData(), O_WRONLY | O_NONBLOCK);
        EXPECT_LT(fd, 0) << "un fil attend encore dans open() : " << adresse.toStdString();
        if (fd >= 0)
            ::close(fd);
    }
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

// What the user reads about a feed cut at the cap: not that it holds no version.
const QString coupe = QStringLiteral("La source des mises à jour envoie plus de 512 Kio : lecture arrêtée.");

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
        EXPECT_EQ(dit.toStdString(), coupe.toStdString());
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
    EXPECT_EQ(dit.toStdString(), coupe.toStdString());
    EXPECT_TRUE(log.contient("mises à jour : flux de plus de 512 Kio, lecture arrêtée"));
}

namespace {

// What an endless answer starts with, and the piece it then repeats.
struct SansFin {
    QByteArray debut;
    QByteArray morceau;
};

// A chunked body.
SansFin corpsSansFin()
{
    const QByteArray bloc = QByteArray("<!-- sans fin -->").repeated(4096);
    return {"HTTP/1.1 200 OK\r\nContent-Type: application/rss+xml\r\nTransfer-Encoding: chunked\r\n\r\n",
            QByteArray::number(bloc.size(), 16) + "\r\n" + bloc + "\r\n"};
}

// An endless answer, sent by a thread of its own as fast as the reader takes it.
class ServeurSansFin {
public:
    explicit ServeurSansFin(SansFin envoi = corpsSansFin()) : envoi_(std::move(envoi))
    {
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t taille = sizeof a;
        ecoute_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        EXPECT_TRUE(ecoute_ >= 0 && ::bind(ecoute_, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0
                    && ::listen(ecoute_, 1) == 0 && ::getsockname(ecoute_, reinterpret_cast<sockaddr*>(&a), &taille) == 0);
        port_ = ntohs(a.sin_port);
        fil_ = std::thread([this] { servir(); });
    }
    ~ServeurSansFin()
    {
        arret_ = true;
        ::shutdown(ecoute_, SHUT_RDWR);
        if (const int c = client_; c >= 0)
            ::shutdown(c, SHUT_RDWR);
        fil_.join();
        ::close(ecoute_);
    }
    QString adresse() const { return QStringLiteral("http://127.0.0.1:%1/flux.xml").arg(port_); }

    std::atomic<qint64> envoyes{0};
    // The reader stopped taking, or the server sent all it ever sends.
    std::atomic<bool> bloque{false};
    std::atomic<bool> fini{false};

private:
    bool toutEnvoyer(int s, const QByteArray& octets)
    {
        for (qsizetype fait = 0; fait < octets.size();) {
            const ssize_t n = ::send(s, octets.constData() + fait, static_cast<size_t>(octets.size() - fait),
                                     MSG_NOSIGNAL | MSG_DONTWAIT);
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
                // Every buffer on the way is full; still full two seconds on, the reader
                // takes no more (a reader that does takes it within milliseconds).
                pollfd p{s, POLLOUT, 0};
                const int pret = ::poll(&p, 1, 2000);
                if (pret == 0) {
                    bloque = true;
                    if (::poll(&p, 1, -1) < 0)
                        return false;
                }
                if (pret < 0 || arret_)
                    return false;
                continue;
            }
            if (n <= 0 || arret_)
                return false;
            fait += n;
            envoyes += n;
        }
        return true;
    }
    void servir()
    {
        const int s = ::accept4(ecoute_, nullptr, nullptr, SOCK_CLOEXEC);
        if (s < 0)
            return;
        client_ = s;
        // Sent is then what the reader took, give or take its socket's buffer.
        const int tampon = 64 << 10;
        ::setsockopt(s, SOL_SOCKET, SO_SNDBUF, &tampon, sizeof tampon);
        char requete[8192];
        QByteArray lu;
        for (ssize_t n; !lu.contains("\r\n\r\n") && (n = ::recv(s, requete, sizeof requete, 0)) > 0;)
            lu.append(requete, n);
        // Bounded itself: an unbounded reader must not take the machine's memory.
        if (toutEnvoyer(s, envoi_.debut))
            while (envoyes < (512 << 20) && toutEnvoyer(s, envoi_.morceau)) {
            }
        fini = true;
        client_ = -1;
        ::close(s);
    }

    SansFin envoi_;
    int ecoute_ = -1;
    quint16 port_ = 0;
    std::atomic<int> client_{-1};
    std::atomic<bool> arret_{false};
    std::thread fil_;
};

} // namespace

// The reply's own buffer is bounded: while the main thread is busy, Qt's network thread stops
// taking an endless body instead of holding all of it for the main thread.
TEST(MisesAJour, UnCorpsSansFinNAttendPasEnMemoire)
{
    JournalDeTest log;
    ServeurSansFin serveur;
    Application::Programmateur p(QJsonObject{{QStringLiteral("SUFeedURL"), serveur.adresse()}});
    QString dit;
    p.afficher = [&](const QString& t) { dit = t; };
    p.checkForUpdates();
    ASSERT_TRUE(attendre([&] { return serveur.envoyes > 0; }, 20000));
    // The main thread held elsewhere (a long paint, a swapped-out page) until the server can
    // send no more: the reader stopped taking, or took all the server ever sends.
    QElapsedTimer montre;
    montre.start();
    while (!serveur.bloque && !serveur.fini && montre.elapsed() < 120000)
        QThread::msleep(5);
    // The reply's buffer and the sockets' at most.
    EXPECT_LT(serveur.envoyes, 64 << 20);
    ASSERT_TRUE(attendre([&] { return !dit.isEmpty(); }, 30000));
    EXPECT_EQ(dit.toStdString(), coupe.toStdString());
}

// Headers that never end, in one line or in many short ones: the reader stops past a few tens
// of KiB, says why, and closes the connection.
TEST(MisesAJour, DesEnTetesSansFinSontCoupes)
{
    const QByteArray statut = "HTTP/1.1 200 OK\r\nContent-Type: application/rss+xml\r\n";
    for (const SansFin& envoi : {SansFin{statut + "X-Sans-Fin: ", QByteArray(4096, 'a')},
                                 SansFin{statut, QByteArray("X-Encore: 1\r\n").repeated(300)}}) {
        JournalDeTest log;
        ServeurSansFin serveur(envoi);
        const QString dit = verifier(serveur.adresse());
        EXPECT_EQ(dit.toStdString(), "La source des mises à jour envoie des en-têtes de plus de 64 Kio : lecture arrêtée.");
        EXPECT_TRUE(log.contient("mises à jour : en-têtes de plus de 64 Kio, lecture arrêtée")) << log.messages().join('\n').toStdString();
        EXPECT_EQ(log.messages().filter(QRegularExpression("^mises à jour : curl : .")).size(), 1);
        // The server sees the connection closed, the sockets' buffers at most beyond the cap.
        EXPECT_TRUE(attendre([&] { return serveur.fini.load(); }, 30000));
        EXPECT_LT(serveur.envoyes, 1 << 20);
    }
}
