#include "fenetres/couper/modele/ImageExacte.h"

#include "conversions/Journaux.h"
#include "fenetres/commun/modele/Echecs.h"
#include "fenetres/retouches/MontageMp4.h"
#include "plateforme/media/Echantillonneur.h"

#include <QCoreApplication>
#include <QPointer>
#include <QThreadPool>
#include <mutex>
#include <optional>

struct ImageExacte::Etat {
    QString chemin;
    QSize boite;
    std::mutex verrou;
    std::optional<double> demande;  // the latest time asked, not yet taken
    bool enCours = false;
    bool abandonne = false;
    // Worker side only.
    std::unique_ptr<Media::Echantillonneur> echantillonneur;
    std::optional<QList<double>> grille;
    bool echec = false;

    QImage image(double t)
    {
        if (echec)
            return {};
        try {
            if (!grille)
                grille = MontageMp4::images(chemin);
            if (!echantillonneur)
                echantillonneur = std::make_unique<Media::Echantillonneur>(chemin, boite);
            // The frame's own time, so that no frame near it is taken for it.
            const double debut = MontageMp4::aligner(*grille, t, t).de;
            QImage i = echantillonneur->image(debut, 1e-4);
            return i.isNull() ? echantillonneur->image(t, 0.5) : i;
        } catch (const std::exception& e) {
            Echecs::journaliser(Conversions::journalMedia(), chemin, e);
            echec = true;
            return {};
        }
    }
};

ImageExacte::ImageExacte(const QString& chemin, QSize boite, QObject* parent)
    : QObject(parent), etat_(std::make_shared<Etat>())
{
    etat_->chemin = chemin;
    etat_->boite = boite;
}

ImageExacte::~ImageExacte()
{
    std::lock_guard garde(etat_->verrou);
    etat_->abandonne = true;
    etat_->demande.reset();
}

void ImageExacte::demander(double secondes)
{
    {
        std::lock_guard garde(etat_->verrou);
        etat_->demande = secondes;
        if (etat_->enCours)
            return;
        etat_->enCours = true;
    }
    QPointer<ImageExacte> moi(this);
    QThreadPool::globalInstance()->start([moi, etat = etat_] {
        for (;;) {
            double t;
            {
                std::lock_guard garde(etat->verrou);
                if (!etat->demande || etat->abandonne) {
                    etat->enCours = false;
                    return;
                }
                t = *etat->demande;
                etat->demande.reset();
            }
            const QImage image = etat->image(t);
            QMetaObject::invokeMethod(qApp, [moi, t, image] {
                if (moi)
                    emit moi->prete(t, image);
            }, Qt::QueuedConnection);
        }
    });
}
