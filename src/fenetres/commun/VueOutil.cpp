#include "fenetres/commun/VueOutil.h"

#include "conversions/Erreur.h"
#include "conversions/Journaux.h"
#include "fenetres/commun/Boutons.h"
#include "fenetres/commun/Entete.h"
#include "fenetres/commun/FenetreOutil.h"
#include "fenetres/commun/Outils.h"
#include "fenetres/commun/modele/Echecs.h"
#include "fenetres/commun/Pilule.h"
#include "fenetres/commun/TexteErreur.h"
#include "roue/VueRoue.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {

// Below this a failure text beside the buttons would be a few letters.
constexpr int largeurErreurMinimum = 140;

} // namespace

VueOutil::VueOutil(const QString& url, FenetreOutil* fenetre, Fini fini, const QString& action)
    : url_(url), fenetre_(fenetre), fini_(std::move(fini)), reduire_(Roue::VueRoue::mouvementReduitDuBureau())
{
    setMouseTracking(true);  // the window's strip sees the pointer through the view
    pile_ = new QVBoxLayout(this);
    pile_->setContentsMargins(16, 34, 16, 16);
    pile_->setSpacing(12);
    entete_ = new Entete(QString(), QString(), this);
    entete_->setReduire(reduire_);
    pile_->addWidget(entete_);

    rangee_ = new QHBoxLayout();
    rangee_->setSpacing(10);
    erreur_ = new TexteErreur(this);
    erreur_->hide();
    boutons_ = new Boutons(action, [this] {
        if (fenetre_)
            fenetre_->close();
    }, [this] { valider(); }, this);
    boutons_->annulation().setReduire(reduire_);
    boutons_->confirmation().setReduire(reduire_);
    pile_->addLayout(rangee_);
}

void VueOutil::poserToile(QWidget* toile) { pile_->insertWidget(1, toile); }

void VueOutil::ajouterRangee(QLayout* rangee) { pile_->insertLayout(pile_->count() - 1, rangee); }

QLabel& VueOutil::ajouterAide()
{
    auto* aide = new QLabel(this);
    aide->setWordWrap(true);
    QFont f;
    f.setPointSizeF(12.5 * 72 / logicalDpiY());  // 12.5 pixels: a pixel size must be whole
    aide->setFont(f);
    aide->setStyleSheet(QStringLiteral("color: #6B7385"));
    aide->setMinimumWidth(120);  // a long hint wraps rather than squeeze the buttons
    // The hint takes the row's free width first, and wraps only when that is not enough.
    aide->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    rangee_->addWidget(aide, 1);
    aide_ = aide;
    return *aide;
}

QString VueOutil::erreur() const { return erreur_->texte(); }

void VueOutil::terminerRangee()
{
    // What the row's fixed pieces leave to the failure text at the window's width.
    int fixe = boutons_->sizeHint().width() + 8 + 2 * rangee_->spacing();
    for (int i = 0; i < rangee_->count(); ++i)
        if (QWidget* w = rangee_->itemAt(i)->widget(); w && w->sizePolicy().horizontalPolicy() == QSizePolicy::Fixed)
            fixe += w->sizeHint().width() + rangee_->spacing();
    if (rangee_->count() == 0) {
        // Nothing of the tool's own: the failure opens the row, the buttons close it.
        rangee_->addWidget(erreur_);
        espacer();
    } else if (Outils::largeur - 32 - fixe >= largeurErreurMinimum) {
        // The failure shrinks and elides first: the choices and the buttons keep their size.
        espacer();
        rangee_->addWidget(erreur_);
    } else {
        espacer();
        // No readable room beside the fixed pieces: the text stands just above them, on the
        // right, two lines at most.
        pile_->insertWidget(pile_->count() - 1, erreur_, 0, Qt::AlignRight);
        erreur_->setSeul(true);
        erreurAuDessus_ = true;
    }
    rangee_->addWidget(boutons_, 0);
}

void VueOutil::espacer()
{
    rangee_->addSpacing(8);
    if (!aide_)
        rangee_->addStretch(1);  // a hint already takes what is free
}

void VueOutil::setErreur(const QString& texte)
{
    erreur_->setTexte(texte);
    erreur_->setVisible(!texte.isEmpty());
    // A text on a line of its own makes the window taller rather than squeeze the rest.
    if (erreurAuDessus_ && fenetre_ && !texte.isEmpty()) {
        pile_->activate();
        const int besoin = std::max(height(), pile_->totalSizeHint().height());
        if (besoin > height()) {
            fenetre_->setFixedHeight(besoin);
            resize(width(), besoin);
        }
    }
}

void VueOutil::sauver(std::function<QString()> travail)
{
    if (occupe_)
        return;
    occupe_ = true;
    boutons_->setOccupe(true);
    setErreur({});
    QPointer<VueOutil> moi(this);
    QPointer<FenetreOutil> fenetre = fenetre_;
    const Fini fini = fini_;
    const QString source = url_;
    QThreadPool::globalInstance()->start([=] {
        QString chemin, echec;
        try {
            chemin = travail();
        } catch (const std::exception& e) {
            Echecs::journaliser(Conversions::journalConversions(), source, e);
            echec = Conversions::description(e);
        }
        QMetaObject::invokeMethod(qApp, [=] {
            if (echec.isEmpty()) {
                if (fini)
                    fini(chemin);
                if (fenetre)
                    fenetre->close();
            } else if (moi) {
                moi->occupe_ = false;
                moi->boutons_->setOccupe(false);
                moi->setErreur(echec);
            }  // a window closed meanwhile: the failure is in the log already
        }, Qt::QueuedConnection);
    });
}
