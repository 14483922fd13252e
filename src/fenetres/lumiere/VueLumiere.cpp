#include "fenetres/lumiere/VueLumiere.h"

#include "conversions/Journaux.h"
#include "fenetres/commun/Chiffres.h"
#include "fenetres/commun/modele/Echecs.h"
#include "fenetres/lumiere/CurseurReglage.h"
#include "fenetres/lumiere/ValeurChiffree.h"

#include "fenetres/commun/CanevasPhoto.h"

#include "conversions/images/Images.h"
#include "fenetres/commun/Couleurs.h"
#include "fenetres/commun/Entete.h"
#include "fenetres/commun/Pilule.h"
#include "fenetres/lumiere/modele/Reglages.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QSlider>
#include <QVBoxLayout>

namespace {

// Slider steps per unit: one step is one unit shown beside it (and read aloud), which a
// finer step would change unseen.
constexpr int pasCurseur = 100;

} // namespace

// The preview: the photo fitted with a 12-point margin, the untouched one while pressed.
class VueLumiere::Apercu : public QWidget {
public:
    explicit Apercu(VueLumiere& vue) : QWidget(&vue), vue_(vue)
    {
        setFixedHeight(300);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        fondDeCanevas(p, rect());
        const QImage& image = vue_.avant_ || vue_.rendu_.isNull() ? vue_.apercu_ : vue_.rendu_;
        if (!image.isNull()) {
            const QRectF place = QRectF(rect()).adjusted(12, 12, -12, -12);
            QSizeF t = QSizeF(image.size()).scaled(place.size(), Qt::KeepAspectRatio);
            p.drawImage(QRectF(place.center() - QPointF(t.width() / 2, t.height() / 2), t), image);
        }
        static const Chiffres police(12.5);
        const QString texte = vue_.avant_ ? tr("Photo d'origine") : tr("Appuyez pour comparer");
        const QRectF etiquette(10, height() - 10 - 24, police.largeur(texte) + 18, 24);
        QPainterPath capsule;
        capsule.addRoundedRect(etiquette, 12, 12);
        p.fillPath(capsule, Couleurs::encre(0.62));
        p.setPen(Qt::white);
        police.dessiner(p, etiquette, Qt::AlignCenter, texte);
    }

    void mousePressEvent(QMouseEvent* e) override
    {
        if (e->button() != Qt::LeftButton)
            return;
        presse_ = e->position();
        montrer(true);
    }
    void mouseMoveEvent(QMouseEvent* e) override
    {
        // Moving away by more than 40 points gives the comparison up.
        if (presse_ && QLineF(*presse_, e->position()).length() > 40)
            montrer(false);
    }
    void mouseReleaseEvent(QMouseEvent*) override
    {
        presse_.reset();
        montrer(false);
    }

private:
    void montrer(bool avant)
    {
        if (vue_.avant_ == avant)
            return;
        vue_.avant_ = avant;
        update();
    }

    VueLumiere& vue_;
    std::optional<QPointF> presse_;
};

VueLumiere::VueLumiere(const QString& url, FenetreOutil* fenetre, Fini fini)
    : VueOutil(url, fenetre, std::move(fini), tr("Enregistrer"))
{
    entete().setTitre(tr("Lumière de %1").arg(QFileInfo(url).fileName()));
    entete().setPastille(Reglages::pastille(0, 0, 0, false));
    vue_ = new Apercu(*this);
    poserToile(vue_);

    auto* curseurs = new QVBoxLayout();
    curseurs->setSpacing(8);
    ajouterRangee(curseurs);
    for (auto [ligne, nom] : {std::pair{&lumiere_, tr("Lumière")}, std::pair{&contraste_, tr("Contraste")},
                              std::pair{&couleurs_, tr("Couleurs")}}) {
        *ligne = ajouterLigne(*curseurs, nom);
    }

    automatique_ = new Pilule(tr("Automatique"), false, this, 14);
    // On or off, as screen readers say it.
    automatique_->setCheckable(true);
    automatique_->setSymbole(QStringLiteral("wand.and.stars"));
    automatique_->setToolTip(tr("Le réglage automatique : lumière et couleurs équilibrées"));
    automatique_->setReduire(reduire());
    auto* zero = new Pilule(tr("Remettre à zéro"), false, this, 14);
    zero->setReduire(reduire());
    rangee().setSpacing(8);
    rangee().addWidget(automatique_);
    rangee().addWidget(zero);
    terminerRangee();
    connect(automatique_, &QAbstractButton::clicked, this, [this] {
        auto_ = automatique_->isChecked();
        changer();
    });
    connect(zero, &QAbstractButton::clicked, this, &VueLumiere::remettreAZero);

    pause_.setSingleShot(true);
    pause_.setInterval(30);
    connect(&pause_, &QTimer::timeout, this, &VueLumiere::rendre);

    enFond<QImage>([url] {
        try {
            return Conversions::redressee(url, 1400);
        } catch (const std::exception& e) {
            Echecs::journaliser(Conversions::journalImages(), url, e);
            return QImage();
        }
    }, [this](const QImage& image) {
        apercu_ = image;
        if (image.isNull())
            setErreur(tr("Impossible de lire la photo"));
        vue_->update();
        emit charge();
        rendre();
    });
}

VueLumiere::Ligne VueLumiere::ajouterLigne(QVBoxLayout& colonne, const QString& nom)
{
    auto* rangee = new QHBoxLayout();
    colonne.addLayout(rangee);
    rangee->setSpacing(10);
    QFont f;
    f.setPixelSize(13);
    auto* titre = new QLabel(nom, this);
    titre->setFont(f);
    titre->setFixedWidth(78);
    titre->setStyleSheet(QStringLiteral("color: #18191B"));
    auto* curseur = new CurseurReglage(nom, pasCurseur, this);
    titre->setBuddy(curseur);
    auto* valeur = new ValeurChiffree(this);
    valeur->setTexte(QStringLiteral("0"));
    rangee->addWidget(titre);
    rangee->addWidget(curseur, 1);
    rangee->addWidget(valeur);
    connect(curseur, &QSlider::valueChanged, this, &VueLumiere::changer);
    return {curseur, valeur};
}

double VueLumiere::lumiere() const { return lumiere_.curseur->value() / double(pasCurseur); }
double VueLumiere::contraste() const { return contraste_.curseur->value() / double(pasCurseur); }
double VueLumiere::couleurs() const { return couleurs_.curseur->value() / double(pasCurseur); }

void VueLumiere::setReglages(double lumiere, double contraste, double couleurs, bool automatique)
{
    auto_ = automatique;
    const QSignalBlocker a(lumiere_.curseur), b(contraste_.curseur), c(couleurs_.curseur);
    lumiere_.curseur->setValue(qRound(lumiere * pasCurseur));
    contraste_.curseur->setValue(qRound(contraste * pasCurseur));
    couleurs_.curseur->setValue(qRound(couleurs * pasCurseur));
    changer();
}

void VueLumiere::remettreAZero() { setReglages(0, 0, 0, false); }

void VueLumiere::changer()
{
    lumiere_.valeur->setTexte(Reglages::affichage(lumiere()));
    contraste_.valeur->setTexte(Reglages::affichage(contraste()));
    couleurs_.valeur->setTexte(Reglages::affichage(couleurs()));
    automatique_->setChecked(auto_);
    automatique_->setAccent(Couleurs::tilleul0(), auto_ ? 2 : 0);
    entete().setPastille(Reglages::pastille(lumiere(), contraste(), couleurs(), auto_));
    // Renders wait 30 ms for the settings to rest; a change meanwhile starts the wait again.
    ++generation_;
    pause_.start();
}

void VueLumiere::rendre()
{
    if (apercu_.isNull())
        return;
    // Only the latest settings' render is shown; older ones finish unseen.
    const quint64 generation = ++generation_;
    const QImage apercu = apercu_;
    const double l = lumiere(), c = contraste(), co = couleurs();
    const bool a = auto_;
    enFond<QImage>([=] {
        const auto reglage = a ? std::optional(Reglages::automatique(apercu)) : std::nullopt;
        return Reglages::appliquer(Reglages::filtre(l, c, co, reglage), apercu);
    }, [this, generation](const QImage& image) {
        if (generation != generation_)
            return;
        rendu_ = image;
        vue_->update();
        emit rendue();
    });
}

void VueLumiere::valider()
{
    const QString source = url();
    const double l = lumiere(), c = contraste(), co = couleurs();
    const bool a = auto_;
    const QString mot = tr("retouchée");
    sauver([=] { return Reglages::enregistrer(source, l, c, co, a, mot); });
}
