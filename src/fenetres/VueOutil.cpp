#include "fenetres/VueOutil.h"

#include "conversions/Erreur.h"
#include "conversions/Journaux.h"
#include "fenetres/Boutons.h"
#include "fenetres/Entete.h"
#include "fenetres/FenetreOutil.h"
#include "fenetres/Pilule.h"
#include "roue/VueRoue.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

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
    erreur_ = new QLabel(this);
    erreur_->setWordWrap(true);
    QFont petite;
    petite.setPixelSize(12);
    erreur_->setFont(petite);
    erreur_->setStyleSheet(QStringLiteral("color: #d62d20"));
    erreur_->setMaximumHeight(QFontMetrics(petite).lineSpacing() * 2 + 2);
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
    f.setPixelSize(12);  // 12.5 in the design; Qt sizes text in whole pixels
    aide->setFont(f);
    aide->setStyleSheet(QStringLiteral("color: #6B7385"));
    rangee_->addWidget(aide, 3);
    return *aide;
}

QString VueOutil::erreur() const { return erreur_->text(); }

void VueOutil::terminerRangee()
{
    rangee_->addSpacing(8);
    rangee_->addStretch(1);
    rangee_->addWidget(erreur_, 2);
    rangee_->addWidget(boutons_);
}

void VueOutil::setErreur(const QString& texte)
{
    erreur_->setText(texte);
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
    const QString nom = QFileInfo(url_).fileName();
    QThreadPool::globalInstance()->start([=] {
        QString chemin, echec;
        try {
            chemin = travail();
        } catch (const std::exception& e) {
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
            } else {
                qCWarning(Conversions::journalConversions).noquote() << nom + QStringLiteral(" : ") + echec;
            }
        }, Qt::QueuedConnection);
    });
}
