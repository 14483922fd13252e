// GLib first: its headers use the word Qt turns into a macro.
#include <gio/gio.h>

#include "application/MisesAJour.h"

#include "application/Journal.h"
#include "tesselui/Paquet.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonDocument>
#include <QTimer>
#include <QUrl>
#include <QVersionNumber>
#include <QXmlStreamReader>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <curl/curl.h>
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
// A server's headers are a few hundred bytes; past this, they have no end.
constexpr qint64 enTetesAuPlus = 64 * 1024;
// Redirections followed before the feed is called unreachable.
constexpr long renvoisAuPlus = 5;

// What one reading of the feed gave: its bytes, or why there are none.
struct Lu {
    QByteArray octets;
    QString erreur;
    bool tropLong = false;
    bool enTetesTropLongs = false;
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

// An HTTP(S) transfer's state, shared with libcurl's callbacks.
struct Transfert {
    Lu lu;
    qint64 enTetes = 0;
    bool corps = false;
    const std::atomic<bool>* arret = nullptr;
};

size_t recevoirEnTete(char*, size_t taille, size_t nombre, void* donnees)
{
    auto* t = static_cast<Transfert*>(donnees);
    t->enTetes += static_cast<qint64>(taille * nombre);
    if (t->enTetes <= enTetesAuPlus)
        return taille * nombre;
    t->lu.enTetesTropLongs = true;
    return 0;
}

size_t recevoirCorps(char* octets, size_t taille, size_t nombre, void* donnees)
{
    auto* t = static_cast<Transfert*>(donnees);
    t->corps = true;
    return ajouter(t->lu, QByteArray(octets, static_cast<qsizetype>(taille * nombre))) ? taille * nombre : 0;
}

// Called while the transfer waits too: a stop asked for ends it at once.
int suivre(void* donnees, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    return static_cast<Transfert*>(donnees)->arret->load() ? 1 : 0;
}

// Reads an HTTP or HTTPS feed, headers and body bounded, until `arret` is set or `delai` ends.
Lu lireParCurl(const QUrl& url, const std::atomic<bool>& arret, std::chrono::milliseconds delai)
{
    Transfert t;
    t.arret = &arret;
    std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), curl_easy_cleanup);
    if (!curl) {
        t.lu.erreur = QStringLiteral("curl : ") + QString::fromUtf8(curl_easy_strerror(CURLE_OUT_OF_MEMORY));
        return t.lu;
    }
    const QByteArray adresse = url.toEncoded();
    // A redirection never leaves https for http.
    const char* renvois = url.scheme() == QLatin1String("https") ? "https" : "http,https";
    char mots[CURL_ERROR_SIZE] = {};
    CURL* c = curl.get();
    curl_easy_setopt(c, CURLOPT_URL, adresse.constData());
    curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(c, CURLOPT_REDIR_PROTOCOLS_STR, renvois);
    curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(c, CURLOPT_MAXREDIRS, renvoisAuPlus);
    curl_easy_setopt(c, CURLOPT_ACCEPT_ENCODING, "");
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(c, CURLOPT_TIMEOUT_MS, static_cast<long>(delai.count()));
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, mots);
    curl_easy_setopt(c, CURLOPT_HEADERFUNCTION, recevoirEnTete);
    curl_easy_setopt(c, CURLOPT_HEADERDATA, &t);
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, recevoirCorps);
    curl_easy_setopt(c, CURLOPT_WRITEDATA, &t);
    curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, suivre);
    curl_easy_setopt(c, CURLOPT_XFERINFODATA, &t);
    curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
    const CURLcode code = curl_easy_perform(c);
    // Stopped by the caller: it has answered already.
    if (code == CURLE_ABORTED_BY_CALLBACK)
        return {};
    // libcurl refuses a header line past 100 KB, before handing it on, and says it has no
    // memory left.
    if (code == CURLE_OUT_OF_MEMORY && !t.corps)
        t.lu.enTetesTropLongs = true;
    if (code != CURLE_OK) {
        t.lu.octets.clear();
        t.lu.erreur = QStringLiteral("curl : ") + QString::fromUtf8(*mots ? mots : curl_easy_strerror(code));
    }
    return t.lu;
}

using Fin = std::function<void(const Lu&)>;

// Runs `lire` on a thread nothing waits for: a server or a remote file system may not
// answer. `fin` gets the result on the main thread.
void surUnFil(std::function<Lu()> lire, Fin fin)
{
    std::thread([lire = std::move(lire), fin = std::move(fin)] {
        Lu lu;
        try {
            lu = lire();
        } catch (const std::exception& e) {
            lu.erreur = QString::fromUtf8(e.what());
        }
        if (QCoreApplication* app = QCoreApplication::instance())
            QMetaObject::invokeMethod(app, [fin, lu] { fin(lu); }, Qt::QueuedConnection);
    }).detach();
}

// Reads the feed through GIO; the result stops the reading.
std::function<void()> lireSurUnFil(const QString& adresse, Fin fin)
{
    std::shared_ptr<GCancellable> arret(g_cancellable_new(), g_object_unref);
    surUnFil([adresse, arret] { return lireParGio(adresse, arret.get()); }, std::move(fin));
    return [arret] { g_cancellable_cancel(arret.get()); };
}

// Reads an HTTP or HTTPS feed with libcurl; the result stops the transfer. `delai` bounds
// it even when the main loop does not.
std::function<void()> lireSurLeReseau(const QUrl& url, std::chrono::milliseconds delai, Fin fin)
{
    // Once, on the main thread, before any transfer.
    static const CURLcode pret = curl_global_init(CURL_GLOBAL_DEFAULT);
    if (pret != CURLE_OK) {
        fin(Lu{{}, QStringLiteral("curl : ") + QString::fromUtf8(curl_easy_strerror(pret)), false, false});
        return [] {};
    }
    auto arret = std::make_shared<std::atomic<bool>>(false);
    surUnFil([url, arret, delai] { return lireParCurl(url, *arret, delai); }, std::move(fin));
    return [arret] { *arret = true; };
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

QString enTetesCoupes()
{
    return QCoreApplication::translate("MisesAJour",
                                       "La source des mises à jour envoie des en-têtes de plus de %1 Kio : lecture arrêtée.")
        .arg(enTetesAuPlus / 1024);
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
        else if (l.enTetesTropLongs)
            journal(QStringLiteral("mises à jour : en-têtes de plus de %1 Kio, lecture arrêtée").arg(enTetesAuPlus / 1024));
        if (!l.erreur.isEmpty() && !l.tropLong)
            journal(QStringLiteral("mises à jour : ") + l.erreur);
        repondre(l.tropLong           ? coupe()
                 : l.enTetesTropLongs ? enTetesCoupes()
                 : !l.octets.isEmpty() ? verdict(l.octets, version)
                                       : injoignable());
    };
    const QUrl url(adresse);
    const bool web = url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https");
    const std::function<void()> arreter = web ? lireSurLeReseau(url, delai + std::chrono::seconds(1), lu) : lireSurUnFil(adresse, lu);
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
