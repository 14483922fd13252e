#include "plateforme/Bureau.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <memory>

// GLib names a struct field "signals", which Qt defines as a keyword.
#pragma push_macro("signals")
#undef signals
#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>
#pragma pop_macro("signals")

namespace {

// The XDG data folders in order of precedence, read from the environment on every call
// (GLib caches its own copy for the whole run).
QStringList dossiersDonnees()
{
    QString maison = qEnvironmentVariable("XDG_DATA_HOME");
    if (maison.isEmpty() || QDir::isRelativePath(maison))
        maison = QDir::homePath() + QStringLiteral("/.local/share");
    QStringList dossiers{maison};
    QString systeme = qEnvironmentVariable("XDG_DATA_DIRS");
    if (systeme.isEmpty())
        systeme = QStringLiteral("/usr/local/share:/usr/share");
    for (const QString& d : systeme.split(QLatin1Char(':'), Qt::SkipEmptyParts))
        if (!QDir::isRelativePath(d))
            dossiers.append(d);
    return dossiers;
}

struct Liberer {
    void operator()(gpointer p) const { g_object_unref(p); }
};
using Info = std::unique_ptr<GDesktopAppInfo, Liberer>;

Info charger(const QString& application, QString* erreur)
{
    Info info(g_desktop_app_info_new_from_filename(QFile::encodeName(application).constData()));
    if (!info && erreur)
        *erreur = QStringLiteral("entrée de bureau illisible : ") + application;
    return info;
}

// Reports a GLib error into `erreur` and frees it.
bool echec(GError* e, QString* erreur)
{
    if (erreur)
        *erreur = e ? QString::fromUtf8(e->message) : QStringLiteral("lancement refusé");
    if (e)
        g_error_free(e);
    return false;
}

} // namespace

namespace Bureau {

std::optional<QString> application(const QString& identifiant)
{
    if (identifiant.isEmpty() || identifiant.contains(QLatin1Char('/')))
        return std::nullopt;
    const QString nom = identifiant + QStringLiteral(".desktop");
    for (const QString& dossier : dossiersDonnees()) {
        const QString chemin = dossier + QStringLiteral("/applications/") + nom;
        if (!QFileInfo(chemin).isFile())
            continue;
        // The first entry found decides, even to say the application is gone (Hidden) or
        // cannot run (a TryExec that is missing makes GIO refuse it).
        Info info(g_desktop_app_info_new_from_filename(QFile::encodeName(chemin).constData()));
        if (!info || g_desktop_app_info_get_is_hidden(info.get()))
            return std::nullopt;
        return chemin;
    }
    return std::nullopt;
}

bool ouvrirAvec(const QString& application, const QString& fichier, QString* erreur)
{
    Info info = charger(application, erreur);
    if (!info)
        return false;
    GFile* f = g_file_new_for_path(QFile::encodeName(fichier).constData());
    GList* liste = g_list_append(nullptr, f);
    GError* e = nullptr;
    const bool ok = g_app_info_launch(G_APP_INFO(info.get()), liste, nullptr, &e);
    g_list_free(liste);
    g_object_unref(f);
    return ok ? true : echec(e, erreur);
}

bool ouvrirLienAvec(const QString& application, const QUrl& lien, QString* erreur)
{
    Info info = charger(application, erreur);
    if (!info)
        return false;
    const QByteArray uri = lien.toEncoded();
    GList* liste = g_list_append(nullptr, const_cast<char*>(uri.constData()));
    GError* e = nullptr;
    const bool ok = g_app_info_launch_uris(G_APP_INFO(info.get()), liste, nullptr, &e);
    g_list_free(liste);
    return ok ? true : echec(e, erreur);
}

void tapoter() {}

} // namespace Bureau
