#include "fenetres/commun/VueOutil.h"

#include "conversions/Erreur.h"
#include "conversions/Journaux.h"
#include "fenetres/commun/Boutons.h"
#include "fenetres/commun/Entete.h"
#include "fenetres/commun/FenetreOutil.h"
#include "fenetres/commun/modele/Echecs.h"
#include "fenetres/commun/modele/Lignes.h"
#include "fenetres/commun/Pilule.h"
#include "fenetres/commun/TexteErreur.h"
#include "roue/VueRoue.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {

// A hint of the bottom row, free to wrap but never narrower than its two lines need: a
// failure beside it widens the window rather than stacking the hint over the canvas.
class Aide : public QLabel {
public:
    using QLabel::QLabel;

    QSize minimumSizeHint() const override
    {
        if (mesure_ != text()) {
            mesure_ = text();
            deuxLignes_ = std::max(120, Lignes::largeurPour(text(), font(), 2) + 2);
        }
        return {deuxLignes_, QLabel::minimumSizeHint().height()};
    }
    // What it asks for is no more: the free width comes to it anyway, and it never widens
    // the window by itself.
    QSize sizeHint() const override { return {minimumSizeHint().width(), QLabel::sizeHint().height()}; }

private:
    mutable QString mesure_;
    mutable int deuxLignes_ = 120;
};

} // namespace

VueOutil::VueOutil(const QString& url, FenetreOutil* fenetre, Fini fini, const QString& action)
    : url_(url), action_(action), fenetre_(fenetre), fini_(std::move(fini)), reduire_(Roue::VueRoue::mouvementReduitDuBureau())
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
    // Clicked anywhere but on a control, the view takes the keyboard back from the buttons
    // (their ring goes); at the opening it holds it, so no button is pressed by a stray key.
    setFocusPolicy(Qt::ClickFocus);
    pile_->addLayout(rangee_);
}

void VueOutil::poserToile(QWidget* toile) { pile_->insertWidget(1, toile); }

void VueOutil::ajouterRangee(QLayout* rangee) { pile_->insertLayout(pile_->count() - 1, rangee); }

QLabel& VueOutil::ajouterAide()
{
    auto* aide = new Aide(this);
    aide->setWordWrap(true);
    QFont f;
    f.setPointSizeF(12.5 * 72 / logicalDpiY());  // 12.5 pixels: a pixel size must be whole
    aide->setFont(f);
    aide->setStyleSheet(QStringLiteral("color: #6B7385"));
    // The hint takes the row's free width first, and wraps only when that is not enough.
    aide->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    rangee_->addWidget(aide, 1);
    aide_ = aide;
    return *aide;
}

QString VueOutil::erreur() const { return erreur_->texte(); }

void VueOutil::terminerRangee()
{
    // Made last, so that Tab reaches them after the tool's own controls, as they stand.
    boutons_ = new Boutons(action_, [this] {
        if (fenetre_)
            fenetre_->close();
    }, [this] { valider(); }, this);
    boutons_->annulation().setReduire(reduire_);
    boutons_->confirmation().setReduire(reduire_);
    if (rangee_->count() == 0) {
        // Nothing of the tool's own: the failure opens the row, the buttons close it.
        rangee_->addWidget(erreur_);
        espacer();
    } else {
        // After the tool's own, just before the buttons.
        espacer();
        rangee_->addWidget(erreur_);
    }
    rangee_->addWidget(boutons_, 0);
}

void VueOutil::espacer()
{
    rangee_->addSpacing(8);
    // A hint already takes what is free; else the free room is shared with the failure,
    // which takes what it needs to stand on one line.
    if (!aide_)
        rangee_->addSpacerItem(new QSpacerItem(0, 0, QSizePolicy::Expanding, QSizePolicy::Minimum));
}

void VueOutil::setErreur(const QString& texte, const QString& nom)
{
    erreur_->setTexte(texte, nom);
    erreur_->setVisible(!texte.isEmpty());
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
        QString chemin, echec, nom;
        try {
            chemin = travail();
        } catch (const std::exception& e) {
            Echecs::journaliser(Conversions::journalConversions(), source, e);
            echec = Conversions::descriptionPour(e, source);
            nom = Echecs::nomCite(e, source);
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
                moi->setErreur(echec, nom);
            }  // a window closed meanwhile: the failure is in the log already
        }, Qt::QueuedConnection);
    });
}
