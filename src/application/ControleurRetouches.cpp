// Edits: a tool window of our own, or the sibling application.
#include "application/Controleur.h"

#include "application/Journal.h"
#include "plateforme/Bureau.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QThreadPool>

#include <exception>

namespace Application {

void Controleur::retoucher(const QString& fichier, const Roue::Retouche& offre, const std::optional<Roue::Retouche::Outil>& outil)
{
    const bool interne = outil && Roue::Retouche::interne(outil->cle);
    journal(QStringLiteral("déposé ") + QFileInfo(fichier).fileName() + QStringLiteral(" sur Modifier")
            + (outil ? QStringLiteral(" → ") + outil->titre : QString()) + QStringLiteral(" : ")
            + (interne ? QStringLiteral("fenêtre de Vododod") : QStringLiteral("ouvert dans ") + offre.nom));
    if (interne) {
        ouvrirFenetre(outil->cle, fichier);
        return;
    }
    if (!offre.app)
        return;
    fermeture_.annuler();
    etat_.setFait(true);

    // Launching may wait on D-Bus activation: off the GUI thread; the tool's link is sent
    // once the file is open, and only then.
    const QString app = *offre.app;
    const QString nom = offre.nom;
    const std::optional<QUrl> lien = outil ? offre.lien(*outil, fichier) : std::nullopt;
    QThreadPool::globalInstance()->start([app, nom, fichier, lien] {
        QString erreur;
        try {
            if (Bureau::ouvrirAvec(app, fichier, &erreur) && (!lien || Bureau::ouvrirLienAvec(app, *lien, &erreur)))
                return;
        } catch (const std::exception& e) {
            erreur = QString::fromUtf8(e.what());  // nothing may end the application from here
        }
        journal(QStringLiteral("ouverture dans ") + nom + QStringLiteral(" : ") + erreur);
    });
    fermerBientot(0.6);
}

void Controleur::ouvrirFenetre(const QString& cle, const QString& fichier)
{
    fermeture_.annuler();
    etat_.setFait(true);
    fermerBientot(0.25);
    plusTard(0.3, [this, cle, fichier] { ouvrirOutil(cle, fichier); });
}

void Controleur::ouvrirOutil(const QString& cle, const QString& fichier)
{
    // The controller outlives every tool window.
    const Services::Fini fini = [this](const QString& f) { cree(f); };
    if (!services_.ouvrirOutil || !services_.ouvrirOutil(cle, fichier, fini))
        journal(QStringLiteral("fenêtre d’outil indisponible : ") + cle);
}

} // namespace Application
