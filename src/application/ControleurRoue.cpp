// The wheel's panel: opened under the pointer, closed after a delay.
#include "application/Controleur.h"

#include "application/Journal.h"
#include "roue/PanneauRoue.h"
#include "roue/VueRoue.h"
#include "roue/ZoneDepot.h"
#include "tesselui/Couleur.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

namespace Application {

namespace {
constexpr int cote = 640;
constexpr int demi = 320;
} // namespace

Roue::ZoneDepot& Controleur::zone()
{
    if (!zone_) {
        zone_ = new Roue::ZoneDepot(etat_);
        zone_->resize(cote, cote);
        vue_ = new Roue::VueRoue(etat_, zone_, cote);
        // The desktop's appearance, unless "--sombre" asks for the dark one.
        vue_->setSombre(Couleur::apparence(QGuiApplication::palette()) == Couleur::Apparence::sombre);
        zone_->accueillir(vue_);
    }
    return *zone_;
}

QWidget& Controleur::panneau()
{
    if (!panneau_)
        panneau_ = new Roue::PanneauRoue(&zone());
    return *panneau_;
}

bool Controleur::rouePresente() const { return panneau_ && panneau_->isVisible(); }

void Controleur::ouvrir()
{
    if (rouePresente())
        return;
    fermeture_.annuler();
    etat_.setFait(std::nullopt);
    etat_.setSurvol(std::nullopt);
    etat_.setOutil(std::nullopt);
    etat_.setPanneau(false);
    etat_.setMessage(std::nullopt);
    etat_.setProgression(std::nullopt);
    etat_.setTravail(std::nullopt);
    const bool rempli = !etat_.petales().isEmpty()
                        && (argumentCommencePar(QStringLiteral("--montrer"))
                            || argumentCommencePar(QStringLiteral("--convertir=")));
    if (!rempli) {
        etat_.setPetales({Conversions::Petale{QStringLiteral("?"), QString(), QStringLiteral("ellipsis"), std::nullopt}});
        etat_.setCentre(tr("Glissez ici"));
        etat_.setRetouche(std::nullopt);
    }

    // Centred under the pointer, kept inside the free area of the screen under it.
    const QPoint souris = QCursor::pos();
    QRect carre(souris.x() - demi, souris.y() - demi, cote, cote);
    for (QScreen* ecran : QGuiApplication::screens()) {
        if (!ecran->geometry().contains(souris))
            continue;
        const QRect v = ecran->availableGeometry();
        carre.moveLeft(std::min(std::max(carre.left(), v.left()), v.left() + v.width() - cote));
        carre.moveTop(std::min(std::max(carre.top(), v.top()), v.top() + v.height() - cote));
        break;
    }
    QWidget& p = panneau();
    p.setGeometry(carre);
    p.show();
    p.raise();

    etat_.setOuverte(false);
    plusTard(0, [this] { etat_.setOuverte(true); });
    journal(QStringLiteral("roue ouverte en %1,%2").arg(carre.x() + demi).arg(carre.y() + demi));
}

void Controleur::fermerBientot(double secondes)
{
    if (!rouePresente() || etat_.travail())
        return;
    // The pending close goes with the controller.
    fermeture_.lancer(secondes, [this] {
        etat_.setOuverte(false);
        plusTard(0.25, [this] {
            if (!etat_.ouverte() && panneau_)
                panneau_->hide();
        });
    });
}

} // namespace Application
