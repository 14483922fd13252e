// Conversion jobs, the progress ring and the outcome.
#include "application/Controleur.h"

#include "application/Icone.h"
#include "application/Journal.h"
#include "application/Lignes.h"
#include "application/Reveler.h"
#include "conversions/Annulation.h"

#include <QAction>
#include <QDBusConnection>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPalette>
#include <QSystemTrayIcon>
#include <QThreadPool>
#include <QTimer>

#include <unistd.h>

void Controleur::convertir(const QStringList& chemins, const Conversions::Petale& petale)
{
    if (quitte_)
        return;
    const QString libelle = Lignes::liste(Lignes::noms(chemins)) + QStringLiteral(" sur ") + petale.id;
    journal(QStringLiteral("déposé ") + libelle);
    if (petale.id == QLatin1String("couper") && !chemins.isEmpty()) {
        ouvrirFenetre(QStringLiteral("couper"), chemins.first());
        return;
    }
    const QUuid id = QUuid::createUuid();
    travaux_.insert(id, 0);
    libelles_.insert(id, libelle);
    fermeture_.annuler();
    etat.setTravail(id);
    etat.setProgression(0);
    // A new job never shows the previous outcome.
    etat.setFait(std::nullopt);
    etat.setMessage(std::nullopt);
    majIcone();

    QTimer::singleShot(1200, this, [this, id] {
        if (etat.travail() != id)
            return;
        journal(QStringLiteral("conversion longue : la roue se range dans la barre des menus"));
        etat.setTravail(std::nullopt);
        fermerBientot(0);
    });

    // The engine blocks: it runs on a worker; every report comes back to the GUI thread.
    QPointer<Controleur> moi(this);
    auto moteur = this->moteur;
    const QString cible = petale.id;
    QThreadPool::globalInstance()->start([moi, moteur, chemins, cible, id] {
        const Conversions::Progression progression = [moi, id](double f) {
            QMetaObject::invokeMethod(QCoreApplication::instance(), [moi, id, f] {
                if (moi)
                    moi->avancer(id, f);
            }, Qt::QueuedConnection);
        };
        Conversions::Resultat resultat;
        try {
            resultat = moteur(chemins, cible, progression);
        } catch (const Conversions::Annulee&) {
            return;  // the application quits: it has logged the job already
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
    if (etat.travail() == id)
        etat.setProgression(fraction);
    majIcone();
}

void Controleur::finir(const QUuid& id, const Conversions::Resultat& resultat)
{
    if (quitte_)
        return;
    travaux_.remove(id);
    libelles_.remove(id);
    for (const QString& f : resultat.crees)
        journal(QStringLiteral("créé ") + QFileInfo(f).fileName());
    for (const QString& e : resultat.erreurs)
        journal(QStringLiteral("échec : ") + e);
    if (!resultat.crees.isEmpty()) {
        derniers_ = resultat.crees;
        ligneDerniers_->setText(resultat.crees.size() == 1
                                    ? tr("Montrer « %1 »").arg(QFileInfo(resultat.crees.first()).fileName())
                                    : tr("Montrer les %1 fichiers créés").arg(resultat.crees.size()));
        disconnect(ligneDerniers_, &QAction::triggered, this, nullptr);
        connect(ligneDerniers_, &QAction::triggered, this, &Controleur::montrerDerniers);
        ligneDerniers_->setEnabled(true);
    }
    const bool echec = !resultat.erreurs.isEmpty();
    ligneEchec_->setText(echec ? tr("Échec : %1").arg(resultat.erreurs.first()) : QString());
    ligneEchec_->setVisible(echec);
    if (etat.travail() == id) {
        etat.setTravail(std::nullopt);
        etat.setProgression(std::nullopt);
        etat.setMessage(echec ? std::optional<QString>(resultat.erreurs.first()) : std::nullopt);
        etat.setFait(!echec);
        fermerBientot(echec ? 2.4 : 0.7);
        majIcone();
    } else {
        signaler(!echec);
        majIcone();
    }
}

void Controleur::poserIcone(const QString& quoi)
{
    etatIcone_ = quoi;
    if (!element_)
        return;
    const QColor encre = QGuiApplication::palette().color(QPalette::WindowText);
    if (quoi == QLatin1String("anneau")) {
        const double f = fractionIcone_;
        element_->setIcon(Icone::icone([&](double e) { return Icone::anneau(f, encre, e); }, encre));
    } else {
        static const QHash<QString, QString> symboles{
            {QStringLiteral("repos"), QStringLiteral("circle.circle")},
            {QStringLiteral("reussite"), QStringLiteral("checkmark.circle.fill")},
            {QStringLiteral("echec"), QStringLiteral("exclamationmark.circle.fill")},
        };
        const QString nom = symboles.value(quoi);
        element_->setIcon(Icone::icone([&](double e) { return Icone::symbole(nom, encre, e); }, encre));
    }
}

void Controleur::majIcone()
{
    if (!element_ || retourIcone_.enAttente())
        return;
    if (travaux_.isEmpty()) {
        poserIcone(QStringLiteral("repos"));
        return;
    }
    double somme = 0;
    for (double f : travaux_)
        somme += f;
    fractionIcone_ = somme / double(travaux_.size());
    poserIcone(QStringLiteral("anneau"));
}

void Controleur::signaler(bool reussite)
{
    retourIcone_.annuler();
    if (element_)
        poserIcone(reussite ? QStringLiteral("reussite") : QStringLiteral("echec"));
    QPointer<Controleur> moi(this);
    retourIcone_.lancer(2.0, [moi] {
        if (moi)
            moi->majIcone();
    });
}

void Controleur::cree(const QString& fichier)
{
    journal(QStringLiteral("créé ") + QFileInfo(fichier).fileName());
    derniers_ = {fichier};
    ligneDerniers_->setText(tr("Montrer « %1 »").arg(QFileInfo(fichier).fileName()));
    disconnect(ligneDerniers_, &QAction::triggered, this, nullptr);
    connect(ligneDerniers_, &QAction::triggered, this, &Controleur::montrerDerniers);
    ligneDerniers_->setEnabled(true);
    signaler(true);
}

void Controleur::montrerDerniers() { reveler(derniers_, QDBusConnection::sessionBus(), this); }

void Controleur::quitter()
{
    if (quitte_)
        return;
    quitte_ = true;
    for (auto i = libelles_.cbegin(); i != libelles_.cend(); ++i)
        journal(QStringLiteral("conversion annulée : ") + i.value());
    // Children end now; each job stops at its next step and removes what it wrote.
    Conversions::annuler();
    const bool arretes = QThreadPool::globalInstance()->waitForDone(600);
    // What a job stuck in a library call still holds goes anyway.
    if (!arretes)
        journal(QStringLiteral("fermeture sans attendre un travail bloqué dans une bibliothèque"));
    Conversions::nettoyer();
    if (sortir)
        sortir(arretes);
    else if (arretes)
        QCoreApplication::quit();
    else
        ::_exit(0);
}
