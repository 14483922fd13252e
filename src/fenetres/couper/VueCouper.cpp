#include "fenetres/couper/VueCouper.h"

#include "conversions/Chemins.h"

#include "fenetres/couper/ApercuCouper.h"
#include "fenetres/commun/Boutons.h"
#include "fenetres/commun/Entete.h"
#include "fenetres/couper/modele/Passage.h"
#include "fenetres/commun/Pilule.h"
#include "fenetres/couper/PisteCouper.h"
#include "fenetres/retouches/Retouches.h"

#include <QFileInfo>
#include <QShortcut>
#include <QVBoxLayout>

VueCouper::VueCouper(const QString& url, FenetreOutil* fenetre, Fini fini, std::unique_ptr<Lecteur> lecteur)
    : VueOutil(url, fenetre, std::move(fini), tr("Couper"))
{
    p_ = new Passage(url, std::move(lecteur), this);
    entete().setTitre(tr("Couper %1").arg(QFileInfo(url).fileName()));

    auto* toile = new QWidget(this);
    auto* pile = new QVBoxLayout(toile);
    pile->setContentsMargins(0, 0, 0, 0);
    pile->setSpacing(12);
    apercu_ = new ApercuCouper(*p_, reduire(), toile);
    piste_ = new PisteCouper(*p_, reduire(), toile);
    pile->addWidget(apercu_);
    pile->addWidget(piste_);
    poserToile(toile);
    terminerRangee();

    // The space bar plays and pauses, wherever the focus is in the window.
    auto* espace = new QShortcut(QKeySequence(Qt::Key_Space), this, nullptr, nullptr, Qt::WindowShortcut);
    connect(espace, &QShortcut::activated, p_, &Passage::basculer);
    connect(p_, &Passage::change, this, &VueCouper::majEtat);
    majEtat();
    p_->preparer();
}

VueCouper::~VueCouper() { p_->fermer(); }

void VueCouper::majEtat()
{
    entete().setPastille(minutes(p_->duree(), false));
    // The model's failures quote the file by its name.
    if (!p_->erreur().isEmpty() && erreur().isEmpty())
        setErreur(p_->erreur(), Conversions::lisible(QFileInfo(url()).fileName()));
    // An empty passage must not be written and reported as created.
    if (!occupe())
        boutons().confirmation().setEnabled(p_->coupable());
}

void VueCouper::valider()
{
    if (!p_->coupable())
        return;
    p_->arreter();
    const QString source = url();
    const double de = p_->d0(), a = p_->d1();
    sauver([source, de, a] { return Retouches::couper(source, de, a); });
}
