#include "application/Arret.h"
#include "application/Controleur.h"
#include "application/Journal.h"
#include "application/Reveler.h"
#include "conversions/Chemins.h"
#include "conversions/sorties/Restes.h"
#include "essai/Essai.h"
#include "fenetres/commun/Outils.h"
#include "tesselui/Notices.h"

#include <QApplication>
#include <QFileInfo>
#include <QTimer>

int main(int argc, char** argv)
{
    qputenv("QT_MEDIA_BACKEND", "ffmpeg");  // the GStreamer backend fails on H.264 here
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Vemo Vododod"));
    app.setApplicationVersion(QStringLiteral(VEMO_VERSION));
    // A tray utility: no main window, and closing a tool window never ends the run.
    app.setQuitOnLastWindowClosed(false);

    // What a run that was killed left behind goes before any new work; this run's
    // temporaries are written down there too.
    const QString registres = QFileInfo(Application::cheminDuJournal()).absolutePath() + QStringLiteral("/temporaires");
    if (const int restes = Conversions::tenirRegistre(registres); restes > 0)
        Application::journal(QStringLiteral("restes d’une session interrompue supprimés : %1").arg(restes));

    // A notice's « Afficher » shows its file as the menu does.
    Notices::revelateur() = [](const QString& fichier) {
        Application::reveler({fichier}, QDBusConnection::sessionBus(), qApp);
    };
    // The real engine, tray, timers and pointer; the tool windows and the self-test.
    Application::Services services;
    services.ouvrirOutil = &Outils::ouvrir;
    services.essai = &Essai::lancer;
    Roue::EtatRoue etat;
    // The arguments' own bytes (Qt's list has replacement characters for a name that is not UTF-8).
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << Conversions::cheminDepuisOctets(argv[i]);
    Application::Controleur controleur(arguments, etat, std::move(services));
    // The self-test holds the event loop to its end: a signal ends it as it always did.
    if (!controleur.essaiDemande())
        Application::arreterSurSignal([&controleur] { controleur.quitter(); });
    QTimer::singleShot(0, &controleur, &Application::Controleur::lancer);
    return app.exec();
}
