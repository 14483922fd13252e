// GLib first: its headers use the word Qt turns into a macro.
#include <gio/gio.h>

#include "application/MisesAJour.h"

#include "application/Journal.h"
#include "tesselui/Paquet.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QSslSocket>
#include <QTimer>
#include <QUrl>
#include <QVersionNumber>
#include <QXmlStreamReader>

#include <cerrno>
#include <cstring>
#include <exception>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace Application {

namespace {

// A feed is a few kilobytes; past this, a server sends something else, or no end at all.
constexpr qint64 plafond = 512 * 1024;
// What the network reply holds before the main thread reads it.
constexpr qint64 tamponAuPlus = 64 * 1024;

// What one reading of the feed gave: its bytes, or why there are none.
struct Lu {
    QByteArray octets;
    QString erreur;
    bool tropLong = false;
};

// Adds `bloc` to what was read; false once past the cap, which empties it.
bool ajouter(Lu& lu, const QByteArray& bloc)
{
    lu.octets += bloc;
    if (lu.octets.size() <= plafond)
        return true;
    lu.octets.clear();
    lu.tropLong = true;
    return false;
}

// A local feed: only a regular file, opened without waiting (a pipe with no writer would
// hold the reading thread in open() for ever).
Lu lireLocal(const QByteArray& chemin)
{
    Lu lu;
    const int fd = ::open(chemin.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    struct stat st;
    if (fd < 0 || ::fstat(fd, &st) != 0) {
        lu.erreur = QString::fromLocal8Bit(std::strerror(errno));
    } else if (!S_ISREG(st.st_mode)) {
        lu.erreur = QStringLiteral("« %1 » n’est pas un fichier ordinaire").arg(QFile::decodeName(chemin));
    } else {
        QByteArray bloc(1 << 16, Qt::Uninitialized);
        ssize_t n = 0;
        while ((n = ::read(fd, bloc.data(), static_cast<size_t>(bloc.size()))) > 0 && ajouter(lu, bloc.left(n))) {
        }
        if (n < 0) {
            lu.erreur = QString::fromLocal8Bit(std::strerror(errno));
            lu.octets.clear();
        }
    }
    if (fd >= 0)
        ::close(fd);
    return lu;
}

// A feed's bytes from a path, a file URL or any URL GIO can read, until `arret` is
// cancelled.
Lu lireParGio(const QString& adresse, GCancellable* arret)
{
    const QUrl url(adresse);
    GFile* f = url.isRelative() ? g_file_new_for_path(QFile::encodeName(adresse).constData())
                                : g_file_new_for_uri(url.toEncoded().constData());
    if (g_file_is_native(f)) {
        char* chemin = g_file_get_path(f);
        const QByteArray local(chemin);
        g_free(chemin);
        g_object_unref(f);
        return lireLocal(local);
    }
    Lu lu;
    GError* e = nullptr;
    if (GFileInputStream* flux = g_file_read(f, arret, &e)) {
        QByteArray bloc(1 << 16, Qt::Uninitialized);
        gssize n = 0;
        while ((n = g_input_stream_read(G_INPUT_STREAM(flux), bloc.data(), bloc.size(), arret, &e)) > 0
               && ajouter(lu, bloc.left(n))) {
        }
        g_object_unref(flux);
    }
    if (e) {
        lu.erreur = QString::fromUtf8(e->message);
        lu.octets.clear();
        g_error_free(e);
    }
    g_object_unref(f);
    return lu;
}

using Fin = std::function<void(const Lu&)>;

// Reads the feed on a thread of its own: a remote file system may not answer. `fin` is called on the main thread; the result stops the reading.
std::function<void()> lireSurUnFil(const QString& adresse, Fin fin)
{
    std::shared_ptr<GCancellable> arret(g_cancellable_new(), g_object_unref);
    std::thread([adresse, arret, fin = std::move(fin)] {
        Lu lu;
        try {
            lu = lireParGio(adresse, arret.get());
        } catch (const std::exception& e) {
            lu.erreur = QString::fromUtf8(e.what());
        }
        if (QCoreApplication* app = QCoreApplication::instance())
            QMetaObject::invokeMethod(app, [fin, lu] { fin(lu); }, Qt::QueuedConnection);
    }).detach();
    return [arret] { g_cancellable_cancel(arret.get()); };
}

// Reads an HTTP or HTTPS feed with Qt's client, on the main thread's loop; the result
// aborts the transfer.
std::function<void()> lireSurLeReseau(const QUrl& url, Fin fin)
{
    if (url.scheme() == QLatin1String("https") && !QSslSocket::supportsSsl()) {
        fin(Lu{{}, QStringLiteral("https illisible : aucune bibliothèque TLS (Qt construit avec ")
                       + QSslSocket::sslLibraryBuildVersionString() + QStringLiteral(")"), false});
        return [] {};
    }
    auto* acces = new QNetworkAccessManager(QCoreApplication::instance());
    QPointer<QNetworkReply> reponse = acces->get(QNetworkRequest(url));
    // Qt reads on a thread of its own: unbounded, its buffer fills faster than a busy main
    // thread drains it.
    reponse->setReadBufferSize(tamponAuPlus);
    auto lu = std::make_shared<Lu>();
    QObject::connect(reponse, &QNetworkReply::readyRead, reponse, [reponse, lu] {
        if (!ajouter(*lu, reponse->readAll()))
            reponse->abort();
    });
    QObject::connect(reponse, &QNetworkReply::finished, acces, [acces, reponse, lu, fin = std::move(fin)] {
        if (!lu->tropLong && reponse->error() != QNetworkReply::NoError) {
            lu->octets.clear();
            lu->erreur = reponse->errorString();
        }
        fin(*lu);
        acces->deleteLater();
    });
    return [reponse] {
        if (reponse)
            reponse->abort();
    };
}

QString injoignable()
{
    return QCoreApplication::translate("MisesAJour", "La source des mises à jour est injoignable.");
}

QString coupe()
{
    return QCoreApplication::translate("MisesAJour", "La source des mises à jour envoie plus de %1 Kio : lecture arrêtée.")
        .arg(plafond / 1024);
}

} // namespace

QString Programmateur::verdict(const QByteArray& flux, const QString& versionActuelle)
{
    // The highest version the feed announces, with its short version for the user.
    QXmlStreamReader xml(flux);
    QVersionNumber meilleure;
    QString affichee;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        QString v;
        QString courte;
        if (xml.name() == QLatin1String("enclosure")) {
            for (const QXmlStreamAttribute& a : xml.attributes()) {
                if (a.name() == QLatin1String("version"))
                    v = a.value().toString();
                else if (a.name() == QLatin1String("shortVersionString"))
                    courte = a.value().toString();
            }
        } else if (xml.name() == QLatin1String("version")) {
            v = xml.readElementText();
        }
        const QVersionNumber n = QVersionNumber::fromString(v.trimmed());
        if (!n.isNull() && n > meilleure) {
            meilleure = n;
            affichee = courte.isEmpty() ? v.trimmed() : courte;
        }
    }
    if (meilleure.isNull())
        return QCoreApplication::translate("MisesAJour", "La source des mises à jour ne donne aucune version lisible.");
    if (meilleure > QVersionNumber::fromString(versionActuelle))
        return QCoreApplication::translate("MisesAJour", "Vemo Vododod %1 est disponible (vous avez la version %2).")
            .arg(affichee, versionActuelle);
    return QCoreApplication::translate("MisesAJour", "Vemo Vododod %1 est à jour.").arg(versionActuelle);
}

void Programmateur::startUpdater()
{
    if (enMarche_)
        return;
    enMarche_ = true;
    minuteur_.setInterval(24 * 3600 * 1000);
    QObject::connect(&minuteur_, &QTimer::timeout, [this] { verifier(false); });
    minuteur_.start();
}

void Programmateur::checkForUpdates() { verifier(true); }

void Programmateur::verifier(bool parLUtilisateur)
{
    const QString adresse = info_.value(QStringLiteral("SUFeedURL")).toString();
    if (adresse.isEmpty()) {
        if (parLUtilisateur && afficher)
            afficher(QCoreApplication::translate("MisesAJour",
                                                 "Aucune source de mises à jour n’est configurée pour cette copie de "
                                                 "Vemo Vododod."));
        return;
    }
    const QString version = QCoreApplication::applicationVersion();
    // The first answer wins, on the GUI thread: the feed's, or the time limit's.
    auto repondu = std::make_shared<bool>(false);
    const auto repondre = [repondu, parLUtilisateur, afficher = afficher](const QString& texte) {
        if (std::exchange(*repondu, true))
            return;
        journal(QStringLiteral("mises à jour : ") + texte);
        if (parLUtilisateur && afficher)
            afficher(texte);
    };
    const auto lu = [repondre, version](const Lu& l) {
        if (l.tropLong)
            journal(QStringLiteral("mises à jour : flux de plus de %1 Kio, lecture arrêtée").arg(plafond / 1024));
        else if (!l.erreur.isEmpty())
            journal(QStringLiteral("mises à jour : ") + l.erreur);
        repondre(l.tropLong ? coupe() : !l.octets.isEmpty() ? verdict(l.octets, version) : injoignable());
    };
    const QUrl url(adresse);
    const bool web = url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https");
    const std::function<void()> arreter = web ? lireSurLeReseau(url, lu) : lireSurUnFil(adresse, lu);
    QTimer::singleShot(delai, QCoreApplication::instance(),
                       [repondu, repondre, arreter, secondes = delai.count() / 1000.0] {
                           if (!*repondu)
                               journal(QStringLiteral("mises à jour : pas de réponse au bout de %1 s").arg(secondes));
                           repondre(injoignable());
                           arreter();
                       });
}

MisesAJour::MisesAJour(QJsonObject info) : info_(info), controleur_(std::move(info)) {}

MisesAJour& MisesAJour::shared()
{
    static MisesAJour instance(information());
    return instance;
}

QJsonObject MisesAJour::information()
{
    QFile f(Paquet::principal() + QStringLiteral("/Info.json"));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(f.readAll()).object();
}

void MisesAJour::demarrer()
{
    if (info_.value(QStringLiteral("SUPublicEDKey")).isString())
        controleur_.startUpdater();
}

} // namespace Application
