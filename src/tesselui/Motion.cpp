// GIO first: its headers use names that Qt defines as macros.
#include <gio/gio.h>

#include "tesselui/Motion.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileSystemWatcher>
#include <QSettings>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

// GNOME and the desktops that share its settings: "enable-animations" off.
std::optional<bool> reglageGnome()
{
    GSettingsSchemaSource* source = g_settings_schema_source_get_default();
    if (!source)
        return std::nullopt;
    GSettingsSchema* schema = g_settings_schema_source_lookup(source, "org.gnome.desktop.interface", TRUE);
    if (!schema)
        return std::nullopt;
    std::optional<bool> reduit;
    if (g_settings_schema_has_key(schema, "enable-animations")) {
        GSettings* reglages = g_settings_new_full(schema, nullptr, nullptr);
        reduit = !g_settings_get_boolean(reglages, "enable-animations");
        g_object_unref(reglages);
    }
    g_settings_schema_unref(schema);
    return reduit;
}

// GTK's own settings file: "gtk-enable-animations" false or 0.
std::optional<bool> reglageGtk()
{
    const QString fichier = QStandardPaths::locate(QStandardPaths::GenericConfigLocation,
                                                   QStringLiteral("gtk-3.0/settings.ini"));
    if (fichier.isEmpty() || !QFileInfo::exists(fichier))
        return std::nullopt;
    QSettings ini(fichier, QSettings::IniFormat);
    const QVariant v = ini.value(QStringLiteral("Settings/gtk-enable-animations"));
    if (!v.isValid())
        return std::nullopt;
    const QString texte = v.toString().trimmed().toLower();
    return texte == QLatin1String("false") || texte == QLatin1String("0");
}

} // namespace

namespace Motion {

Mouvement snappy() { return Mouvement::par(Ressort{0.3, 0.6}); }
Mouvement bouncy() { return Mouvement::par(Ressort{0.45, 0.55}); }
Mouvement flow() { return Mouvement::par(Ressort{0.7, 0.75}); }

Mouvement adapt(const Mouvement& m, bool reduce) { return reduce ? Mouvement::par(Fondu{0.15}) : m; }

bool reduitDuBureau()
{
    // Either place may hold the user's choice, depending on the desktop: one is enough.
    return reglageGnome().value_or(false) || reglageGtk().value_or(false);
}

bool& reduire()
{
    static bool r = reduitDuBureau();
    return r;
}

Veilleur& veilleur()
{
    static Veilleur* v = new Veilleur;
    return *v;
}

void setReduire(bool r)
{
    if (reduire() == r)
        return;
    reduire() = r;
    emit veilleur().change(r);
}

namespace {

void relire() { setReduire(reduitDuBureau()); }

// `chemin` itself when it exists, else the closest folder above it that does.
QString parentExistant(const QString& chemin)
{
    QDir d(chemin);
    while (!d.exists() && !d.isRoot())
        d.setPath(QFileInfo(d.absolutePath()).path());
    return d.absolutePath();
}

void changementGnome(GSettings*, gchar*, gpointer)
{
    // GLib calls on the thread that runs its main context: the GUI thread under Qt's loop.
    QMetaObject::invokeMethod(&veilleur(), &relire, Qt::QueuedConnection);
}

} // namespace

void suivreBureau()
{
    if (!QCoreApplication::instance())
        return;
    static QFileSystemWatcher* veille = nullptr;
    if (!veille) {
        (void)reduire();
        if (GSettingsSchemaSource* source = g_settings_schema_source_get_default()) {
            if (GSettingsSchema* schema = g_settings_schema_source_lookup(source, "org.gnome.desktop.interface", TRUE)) {
                if (g_settings_schema_has_key(schema, "enable-animations")) {
                    // Kept for the process: its signal is the desktop's word on a change.
                    GSettings* reglages = g_settings_new_full(schema, nullptr, nullptr);
                    g_signal_connect(reglages, "changed::enable-animations", G_CALLBACK(changementGnome), nullptr);
                }
                g_settings_schema_unref(schema);
            }
        }
        veille = new QFileSystemWatcher(&veilleur());
        QObject::connect(veille, &QFileSystemWatcher::fileChanged, &veilleur(), [] { suivreBureau(); relire(); });
        QObject::connect(veille, &QFileSystemWatcher::directoryChanged, &veilleur(), [] { suivreBureau(); relire(); });
    }
    // GTK's file may come, go or be replaced whole: its folder is watched as well as the file,
    // wherever the configuration folder is now. A folder not made yet is awaited from its
    // nearest existing parent; each level that appears brings the next look here.
    const QString dossier = QDir::cleanPath(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/gtk-3.0"));
    QString attente;
    for (;;) {
        const QString parent = parentExistant(dossier);
        if (parent == attente)
            break;
        // Made meanwhile? Look again, so that no level is missed between the look and the watch.
        attente = parent;
        if (parent != dossier && !veille->directories().contains(parent))
            veille->addPath(parent);
    }
    // The parents awaited before are no longer needed once a deeper one exists.
    for (const QString& d : veille->directories())
        if (d != attente && d != dossier && dossier.startsWith(d + QLatin1Char('/')))
            veille->removePath(d);
    for (const QString& chemin : {dossier, dossier + QStringLiteral("/settings.ini")})
        if (QFileInfo::exists(chemin) && !veille->files().contains(chemin) && !veille->directories().contains(chemin))
            veille->addPath(chemin);
}

} // namespace Motion
