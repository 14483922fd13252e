// GLib first: its headers use the word Qt turns into a macro.
#include <gio/gio.h>

#include "application/MisesAJour.h"

#include "application/Journal.h"
#include "tesselui/Paquet.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonDocument>
#include <QPointer>
#include <QTimer>
#include <QUrl>
#include <QVersionNumber>
#include <QXmlStreamReader>

#include <exception>
#include <memory>
#include <thread>
#include <utility>

namespace Application {

namespace {

// A feed's bytes from a path, a file URL or any URL GIO can read; empty on failure.
QByteArray lireFlux(const QString& adresse, QString* erreur)
{
    const QUrl url(adresse);
    GFile* f = url.isRelative() ? g_file_new_for_path(QFile::encodeName(adresse).constData())
                                : g_file_new_for_uri(url.toEncoded().constData());
    char* contenu = nullptr;
    gsize taille = 0;
    GError* e = nullptr;
    QByteArray octets;
    if (g_file_load_contents(f, nullptr, &contenu, &taille, nullptr, &e)) {
        octets = QByteArray(contenu, qsizetype(taille));
        g_free(contenu);
    } else {
        *erreur = e ? QString::fromUtf8(e->message) : QString();
        if (e)
            g_error_free(e);
    }
    g_object_unref(f);
    return octets;
}

QString injoignable()
{
    return QCoreApplication::translate("MisesAJour", "La source des mises à jour est injoignable.");
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
    // Reading the feed may wait on the network, for ever if a server never answers: on a
    // thread of its own that nothing waits for, quitting included.
    std::thread([adresse, version, repondre] {
        QString texte = injoignable();
        try {
            QString erreur;
            const QByteArray flux = lireFlux(adresse, &erreur);
            if (flux.isEmpty())
                journal(QStringLiteral("mises à jour : ") + erreur);
            else
                texte = verdict(flux, version);
        } catch (const std::exception& e) {
            journal(QStringLiteral("mises à jour : ") + QString::fromUtf8(e.what()));
        }
        if (QCoreApplication* app = QCoreApplication::instance())
            QMetaObject::invokeMethod(app, [repondre, texte] { repondre(texte); }, Qt::QueuedConnection);
    }).detach();
    QTimer::singleShot(delai, QCoreApplication::instance(), [repondu, repondre, secondes = delai.count() / 1000.0] {
        if (!*repondu)
            journal(QStringLiteral("mises à jour : pas de réponse au bout de %1 s").arg(secondes));
        repondre(injoignable());
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
