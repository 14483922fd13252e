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
#include <QTimer>

namespace {
constexpr int cote = 640;
constexpr int demi = 320;
} // namespace

ZoneDepot& Controleur::zone()
{
    if (!zone_) {
        zone_ = new ZoneDepot(etat);
        zone_->resize(cote, cote);
        vue_ = new VueRoue(etat, zone_, cote);
        // The desktop's appearance, unless "--sombre" asks for the dark one.
        vue_->setSombre(Couleur::apparence(QGuiApplication::palette()) == Couleur::Apparence::sombre);
        zone_->accueillir(vue_);
    }
    return *zone_;
}

QWidget& Controleur::panneau()
{
    if (!panneau_)
        panneau_ = new PanneauRoue(&zone());
    return *panneau_;
}

void Controleur::assombrir()
{
    panneau();
    vue_->setSombre(true);
}

bool Controleur::rouePresente() const { return panneau_ && panneau_->isVisible(); }

void Controleur::ouvrir()
{
    if (rouePresente())
        return;
    fermeture_.annuler();
    etat.setFait(std::nullopt);
    etat.setSurvol(std::nullopt);
    etat.setOutil(std::nullopt);
    etat.setPanneau(false);
    etat.setMessage(std::nullopt);
    etat.setProgression(std::nullopt);
    etat.setTravail(std::nullopt);
    const bool rempli = !etat.petales().isEmpty()
                        && (argumentCommencePar(QStringLiteral("--montrer"))
                            || argumentCommencePar(QStringLiteral("--convertir=")));
    if (!rempli) {
        etat.setPetales({Conversions::Petale{QStringLiteral("?"), QString(), QStringLiteral("ellipsis"), std::nullopt}});
        etat.setCentre(tr("Glissez ici"));
        etat.setRetouche(std::nullopt);
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

    etat.setOuverte(false);
    QTimer::singleShot(0, this, [this] { etat.setOuverte(true); });
    journal(QStringLiteral("roue ouverte en %1,%2").arg(carre.x() + demi).arg(carre.y() + demi));
}

void Controleur::fermerBientot(double secondes)
{
    if (!rouePresente() || etat.travail())
        return;
    QPointer<Controleur> moi(this);
    fermeture_.lancer(secondes, [moi] {
        if (!moi)
            return;
        moi->etat.setOuverte(false);
        QTimer::singleShot(250, moi, [moi] {
            if (moi && !moi->etat.ouverte() && moi->panneau_)
                moi->panneau_->hide();
        });
    });
}
