// GLib first: its headers use the word Qt turns into a macro.
#include <gio/gio.h>

#include "application/MisesAJour.h"

#include "application/Journal.h"
#include "tesselui/Paquet.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonDocument>
#include <QPointer>
#include <QThreadPool>
#include <QUrl>
#include <QVersionNumber>
#include <QXmlStreamReader>

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
    auto repondre = afficher;
    // Reading the feed may wait on the network: off the GUI thread, answer brought back.
    QThreadPool::globalInstance()->start([adresse, version, parLUtilisateur, repondre] {
        QString erreur;
        const QByteArray flux = lireFlux(adresse, &erreur);
        QString texte;
        if (flux.isEmpty()) {
            journal(QStringLiteral("mises à jour : ") + erreur);
            texte = QCoreApplication::translate("MisesAJour", "La source des mises à jour est injoignable.");
        } else {
            texte = verdict(flux, version);
        }
        journal(QStringLiteral("mises à jour : ") + texte);
        if (parLUtilisateur && repondre)
            QMetaObject::invokeMethod(QCoreApplication::instance(), [repondre, texte] { repondre(texte); },
                                      Qt::QueuedConnection);
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
