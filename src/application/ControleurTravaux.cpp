// Conversion jobs, the progress ring and the outcome.
#include "application/Controleur.h"

#include "application/Journal.h"
#include "application/Lignes.h"
#include "conversions/sorties/Annulation.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QPointer>
#include <QThreadPool>

#include <unistd.h>

namespace Application {

namespace {

// Conversions run on threads of their own, as many as the cores: tool windows, previews,
// saves and launches keep Qt's shared pool, and never wait behind a long video. Never
// destroyed: a job stuck in a library holds no one at exit.
QThreadPool& conversions()
{
    static QThreadPool* const pool = new QThreadPool;
    return *pool;
}

} // namespace

void Controleur::convertir(const QStringList& chemins, const Conversions::Petale& petale)
{
    if (quitte_)
        return;
    journal(QStringLiteral("déposé ") + Lignes::lot(chemins, petale.id));
    if (petale.id == QLatin1String("couper") && !chemins.isEmpty()) {
        ouvrirFenetre(QStringLiteral("couper"), chemins.first());
        return;
    }
    const QUuid id = QUuid::createUuid();
    travaux_.insert(id, 0);
    const auto bilan = std::make_shared<Conversions::Bilan>();
    enCours_.insert(id, {chemins, petale.id, bilan});
    fermeture_.annuler();
    etat_.setTravail(id);
    etat_.setProgression(0);
    // A new job never shows the previous outcome.
    etat_.setFait(std::nullopt);
    etat_.setMessage(std::nullopt);
    majIcone();

    plusTard(1.2, [this, id] {
        if (etat_.travail() != id)
            return;
        journal(QStringLiteral("conversion longue : la roue se range dans la barre des menus"));
        etat_.setTravail(std::nullopt);
        fermerBientot(0);
    });

    // The engine blocks: it runs on a worker; every report comes back to the GUI thread.
    // The engine lives as long as the job, whatever becomes of the controller.
    QPointer<Controleur> moi(this);
    std::shared_ptr<Moteur> moteur = services_.moteur;
    const QString cible = petale.id;
    conversions().start([moi, moteur, chemins, cible, id, bilan] {
        const Conversions::Progression progression = [moi, id](double f) {
            QMetaObject::invokeMethod(QCoreApplication::instance(), [moi, id, f] {
                if (moi)
                    moi->avancer(id, f);
            }, Qt::QueuedConnection);
        };
        Conversions::Resultat resultat;
        try {
            resultat = moteur->convertir(chemins, cible, progression, *bilan);
        } catch (const Conversions::Annulee&) {
            return;  // the application quits: it logs the job from its bilan
        } catch (const std::exception& e) {
            resultat.erreurs << Conversions::description(e);
        } catch (...) {
            resultat.erreurs << Conversions::description(std::runtime_error("?"));
        }
        QMetaObject::invokeMethod(QCoreApplication::instance(), [moi, id, resultat] {
            if (moi)
                moi->finir(id, resultat);
        }, Qt::QueuedConnection);
    });
}

void Controleur::avancer(const QUuid& id, double fraction)
{
    if (!travaux_.contains(id))
        return;
    travaux_[id] = fraction;
    if (etat_.travail() == id)
        etat_.setProgression(fraction);
    majIcone();
}

void Controleur::finir(const QUuid& id, const Conversions::Resultat& resultat)
{
    if (quitte_)
        return;
    travaux_.remove(id);
    enCours_.remove(id);
    consigner(resultat);
    const bool echec = !resultat.erreurs.isEmpty();
    services_.barre->poserEchec(echec ? tr("Échec : %1").arg(resultat.erreurs.first()) : QString());
    if (etat_.travail() == id) {
        etat_.setTravail(std::nullopt);
        etat_.setProgression(std::nullopt);
        etat_.setMessage(echec ? std::optional<QString>(resultat.erreurs.first()) : std::nullopt);
        etat_.setFait(!echec);
        fermerBientot(echec ? 2.4 : 0.7);
        majIcone();
    } else {
        signaler(!echec);
        majIcone();
    }
}

void Controleur::consigner(const Conversions::Resultat& resultat)
{
    for (const QString& f : resultat.crees)
        journal(QStringLiteral("créé ") + QFileInfo(f).fileName());
    for (const QString& e : resultat.erreurs)
        journal(QStringLiteral("échec : ") + e);
    if (!resultat.crees.isEmpty())
        montrerDerniers(resultat.crees);
}

void Controleur::majIcone()
{
    if (!barreInstallee_ || retourIcone_.enAttente())
        return;
    if (travaux_.isEmpty()) {
        services_.barre->poserIcone(Barre::Signe::repos, 0);
        return;
    }
    double somme = 0;
    for (double f : travaux_)
        somme += f;
    services_.barre->poserIcone(Barre::Signe::anneau, somme / double(travaux_.size()));
}

void Controleur::signaler(bool reussite)
{
    retourIcone_.annuler();
    if (barreInstallee_)
        services_.barre->poserIcone(reussite ? Barre::Signe::reussite : Barre::Signe::echec, 0);
    retourIcone_.lancer(2.0, [this] { majIcone(); });
}

void Controleur::cree(const QString& fichier)
{
    journal(QStringLiteral("créé ") + QFileInfo(fichier).fileName());
    montrerDerniers({fichier});
    signaler(true);
}

// The menu line that reveals the latest outputs.
void Controleur::montrerDerniers(const QStringList& fichiers)
{
    services_.barre->poserDerniers(fichiers.size() == 1
                                       ? tr("Montrer « %1 »").arg(QFileInfo(fichiers.first()).fileName())
                                       : tr("Montrer les %1 fichiers créés").arg(fichiers.size()),
                                   fichiers);
}

void Controleur::quitter()
{
    if (quitte_)
        return;
    quitte_ = true;
    // Children end now; each job stops at its next step and removes what its file had begun.
    services_.moteur->annuler();
    const bool arretes = conversions().waitForDone(600);
    // What a job stuck in a library call still holds goes anyway.
    if (!arretes)
        journal(QStringLiteral("fermeture sans attendre un travail bloqué dans une bibliothèque"));
    services_.moteur->nettoyer();
    // The files a job finished before the stop stay: they are created; the rest is cancelled.
    for (const EnCours& travail : std::as_const(enCours_)) {
        const Conversions::Bilan::Releve releve = travail.bilan->releve();
        consigner(releve.fait);
        const QStringList restants = travail.chemins.mid(releve.traites);
        if (!restants.isEmpty())
            journal(QStringLiteral("conversion annulée : ") + Lignes::lot(restants, travail.petale));
    }
    if (services_.sortir)
        services_.sortir(arretes);
    else if (arretes)
        QCoreApplication::quit();
    else
        ::_exit(0);
}

} // namespace Application
