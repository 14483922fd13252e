#include "fenetres/annoter/VueAnnoter.h"

#include "fenetres/commun/BoutonClavier.h"
#include "fenetres/commun/CanevasPhoto.h"
#include "fenetres/commun/Couleurs.h"
#include "fenetres/commun/Entete.h"
#include "fenetres/commun/modele/Photo.h"
#include "fenetres/retouches/Retouches.h"
#include "tesselui/Symboles.h"

#include <QAbstractButton>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QShortcut>
#include <QTimer>
#include <QVBoxLayout>

// The photo and its marks; the drag traces, the text tool's click opens a text.
class VueAnnoter::Canevas : public CanevasPhoto {
public:
    explicit Canevas(VueAnnoter& vue) : CanevasPhoto(&vue, 360), vue_(vue) {}

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        fond(p);
        if (!vue_.chargee())
            return;
        const Toile t = vue_.toile();
        p.drawImage(t.versEcran(QRectF(QPointF(0, 0), t.image)), vue_.apercu_);
        const Mesure m = vue_.mesure();
        for (const Annotation& a : vue_.faites_)
            dessiner(p, a, t.k, t.o, m);
        if (vue_.enCours_)
            dessiner(p, *vue_.enCours_, t.k, t.o, m);
    }

    void glisse(QPointF depart, QPointF ici) override
    {
        const auto& outil = outilsAnnotation()[size_t(vue_.outil_)];
        if (!vue_.chargee() || outil.genre == Annotation::Genre::texte)
            return;
        const Toile t = vue_.toile();
        vue_.enCours_ = Annotation{outil.genre, t.versImage(depart), t.versImage(ici), {},
                                   couleursAnnotation()[size_t(vue_.couleur_)]};
        update();
    }
    void lache(QPointF, QPointF ici) override
    {
        if (!vue_.chargee())
            return;
        const Toile t = vue_.toile();
        if (outilsAnnotation()[size_t(vue_.outil_)].genre == Annotation::Genre::texte) {
            vue_.validerTexte();
            vue_.ouvrirTexte(t.versImage(ici));
        } else if (vue_.enCours_) {
            // A click, or a drag of 6 points or less, leaves nothing (the points went
            // through pixels and back: a hair of rounding is not a longer drag).
            if (t.k * QLineF(vue_.enCours_->a, vue_.enCours_->b).length() > 6 + 1e-6)
                vue_.faites_.append(*vue_.enCours_);
            vue_.enCours_.reset();
            vue_.majTextes();
        }
        update();
    }
    void resizeEvent(QResizeEvent*) override { vue_.placerChamp(); }

private:
    VueAnnoter& vue_;
};

// The text being typed: Return keeps it, Escape drops it, both before the window's own
// keys see them; Ctrl+Z goes to the window, which closes the entry.
class VueAnnoter::Champ : public QLineEdit {
public:
    // White, one point, dashed 4 on and 3 off, inside the field's edge.
    static QPen bordure()
    {
        QPen stylo(Qt::white, 1, Qt::CustomDashLine, Qt::FlatCap, Qt::MiterJoin);
        stylo.setDashPattern({4, 3});
        return stylo;
    }

    Champ(VueAnnoter& vue, QWidget* parent) : QLineEdit(parent), vue_(vue)
    {
        setFrame(false);
        hide();
    }

protected:
    bool event(QEvent* e) override
    {
        if (e->type() == QEvent::ShortcutOverride) {
            auto* k = static_cast<QKeyEvent*>(e);
            if (k->matches(QKeySequence::Undo)) {
                e->ignore();
                return true;
            }
            if (k->key() == Qt::Key_Escape || k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
                e->accept();
                return true;
            }
        }
        return QLineEdit::event(e);
    }
    void paintEvent(QPaintEvent* e) override
    {
        QLineEdit::paintEvent(e);
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(bordure());
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
    }
    void keyPressEvent(QKeyEvent* e) override
    {
        if (e->key() == Qt::Key_Escape)
            vue_.fermerTexte();
        else if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter)
            vue_.validerTexte();
        else
            QLineEdit::keyPressEvent(e);
    }

private:
    VueAnnoter& vue_;
};

namespace {

// The tools' symbols stand at the size of 14-point text.
constexpr int coteSymbole = 14;

QRectF centre(const QRect& r, double cote)
{
    return {QPointF((r.width() - cote) / 2.0, (r.height() - cote) / 2.0), QSizeF(cote, cote)};
}

// One tool of the group: its symbol in a 34 × 30 capsule, filled in ink with a white symbol
// when it is the chosen one.
class BoutonOutil : public BoutonClavier {
public:
    BoutonOutil(const OutilAnnotation& outil, QWidget* parent) : BoutonClavier(parent), symbole_(outil.symbole)
    {
        setCheckable(true);
        setAutoExclusive(true);
        setFixedSize(34, 30);
        setCursor(Qt::PointingHandCursor);
        setToolTip(outil.aide);
        setAccessibleName(outil.titre);
        setText(outil.titre);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        if (isChecked()) {
            p.setPen(Qt::NoPen);
            p.setBrush(Couleurs::encre());
            p.drawRoundedRect(QRectF(rect()), 15, 15);
        }
        const QImage s = Symboles::image(symbole_, coteSymbole, isChecked() ? QColor(Qt::white) : Couleurs::encre(),
                                         devicePixelRatioF());
        p.drawImage(centre(rect(), coteSymbole), s);
        peindreAnneau(p, capsule());
    }
    bool hitButton(const QPoint& pos) const override { return capsule().contains(pos); }

private:
    QPainterPath capsule() const
    {
        QPainterPath c;
        c.addRoundedRect(QRectF(rect()), 15, 15);
        return c;
    }

    QString symbole_;
};

// The tools side by side on a faint ink capsule.
class GroupeOutils : public QWidget {
public:
    explicit GroupeOutils(QWidget* parent) : QWidget(parent)
    {
        auto* rangee = new QHBoxLayout(this);
        rangee->setContentsMargins(3, 3, 3, 3);
        rangee->setSpacing(2);
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(Couleurs::encre(0.06));
        p.drawRoundedRect(QRectF(rect()), height() / 2.0, height() / 2.0);
    }
};

// One colour: an 18-point dot with 3 points around it, ringed in ink when chosen.
class BoutonCouleur : public BoutonClavier {
public:
    BoutonCouleur(int index, QWidget* parent) : BoutonClavier(parent), couleur_(couleursAnnotation()[size_t(index)])
    {
        setCheckable(true);
        setAutoExclusive(true);
        setFixedSize(24, 24);
        setCursor(Qt::PointingHandCursor);
        setToolTip(VueAnnoter::tr("Couleur"));
        setAccessibleName(VueAnnoter::tr("Couleur %1").arg(index + 1));
        setText(accessibleName());
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(couleur_);
        p.drawEllipse(QRectF(3, 3, 18, 18));
        if (isChecked()) {
            p.setBrush(Qt::NoBrush);
            p.setPen(QPen(Couleurs::encre(), 1.5));
            p.drawEllipse(QRectF(rect()).adjusted(0.75, 0.75, -0.75, -0.75));
        }
        QPainterPath disque;
        disque.addEllipse(QRectF(rect()));
        peindreAnneau(p, disque);
    }
    bool hitButton(const QPoint& pos) const override { return QLineF(QRectF(rect()).center(), pos).length() <= 12; }

private:
    QColor couleur_;
};

// The round take-back button: an arrow turning back.
class BoutonReprendre : public BoutonClavier {
public:
    explicit BoutonReprendre(QWidget* parent) : BoutonClavier(parent)
    {
        setFixedSize(36, 36);
        setCursor(Qt::PointingHandCursor);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setBrush(Qt::white);
        p.setPen(QPen(Couleurs::encre(0.16), 1));
        p.drawEllipse(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
        QColor c = isEnabled() ? Couleurs::encre() : Couleurs::ardoise();
        if (!isEnabled())
            c.setAlphaF(0.5f);
        const QImage s = Symboles::image(QStringLiteral("arrow.uturn.backward"), coteSymbole, c, devicePixelRatioF());
        p.drawImage(centre(rect(), coteSymbole), s);
        QPainterPath disque;
        disque.addEllipse(QRectF(rect()));
        peindreAnneau(p, disque);
    }
};

} // namespace

VueAnnoter::VueAnnoter(const QString& url, FenetreOutil* fenetre, Fini fini)
    : VueOutil(url, fenetre, std::move(fini), tr("Enregistrer"))
{
    entete().setTitre(tr("Annoter %1").arg(QFileInfo(url).fileName()));

    auto* choix = new QHBoxLayout();
    choix->setSpacing(10);
    auto* groupe = new GroupeOutils(this);
    for (size_t i = 0; i < outilsAnnotation().size(); ++i) {
        auto* b = new BoutonOutil(outilsAnnotation()[i], groupe);
        groupe->layout()->addWidget(b);
        outils_ << b;
        connect(b, &QAbstractButton::clicked, this, [this, i] { choisirOutil(int(i)); });
    }
    auto* disques = new QWidget(this);
    auto* rangeeCouleurs = new QHBoxLayout(disques);
    rangeeCouleurs->setContentsMargins(0, 0, 0, 0);
    rangeeCouleurs->setSpacing(6);
    for (int i = 0; i < int(couleursAnnotation().size()); ++i) {
        auto* b = new BoutonCouleur(i, disques);
        rangeeCouleurs->addWidget(b);
        couleurs_ << b;
        connect(b, &QAbstractButton::clicked, this, [this, i] { choisirCouleur(i); });
    }
    outils_[size_t(outil_)]->setChecked(true);
    couleurs_[couleur_]->setChecked(true);
    auto* bouton = new BoutonReprendre(this);
    reprendre_ = bouton;
    reprendre_->setToolTip(tr("Retirer le dernier ajout (Ctrl+Z)"));
    // A symbol alone says nothing to a screen reader.
    reprendre_->setAccessibleName(tr("Retirer le dernier ajout"));
    choix->addWidget(groupe);
    choix->addWidget(disques);
    choix->addStretch(1);
    choix->addWidget(reprendre_);
    connect(reprendre_, &QAbstractButton::clicked, this, &VueAnnoter::reprendre);
    auto* annuler = new QShortcut(QKeySequence::Undo, this, nullptr, nullptr, Qt::WindowShortcut);
    connect(annuler, &QShortcut::activated, this, &VueAnnoter::reprendre);

    // The tool row stands above the canvas: both go in the canvas's place.
    auto* milieu = new QWidget(this);
    auto* pile = new QVBoxLayout(milieu);
    pile->setContentsMargins(0, 0, 0, 0);
    pile->setSpacing(12);
    pile->addLayout(choix);
    canevas_ = new Canevas(*this);
    pile->addWidget(canevas_);
    poserToile(milieu);
    champ_ = new Champ(*this, canevas_);

    aide_ = &ajouterAide();
    terminerRangee();
    majTextes();

    enFond<Photo>([url] { return Photo::charger(url); }, [this](const Photo& photo) {
        image_ = photo.image;
        apercu_ = photo.apercu;
        if (image_.isNull())
            setErreur(tr("Impossible de lire la photo"));
        canevas_->update();
        emit charge();
    });
}

Mesure VueAnnoter::mesure() const { return Mesure::pour(image_.isNull() ? QSizeF(1, 1) : QSizeF(image_.size())); }

Toile VueAnnoter::toile() const
{
    return Toile::ajuster(canevas_->size(), image_.isNull() ? QSizeF(1, 1) : QSizeF(image_.size()));
}

QWidget& VueAnnoter::canevas() { return *canevas_; }

QLineEdit* VueAnnoter::saisie() const { return point_ ? champ_ : nullptr; }

void VueAnnoter::choisirOutil(int index)
{
    validerTexte();
    outil_ = index;
    outils_[index]->setChecked(true);
    majTextes();
}

void VueAnnoter::choisirCouleur(int index)
{
    couleur_ = index;
    couleurs_[index]->setChecked(true);
    placerChamp();
}

void VueAnnoter::ouvrirTexte(QPointF point)
{
    point_ = point;
    champ_->clear();
    placerChamp();
    champ_->show();
    QTimer::singleShot(80, champ_, [this] {
        if (point_)
            champ_->setFocus();
    });
    majTextes();
}

void VueAnnoter::placerChamp()
{
    if (!point_)
        return;
    const Toile t = toile();
    const Mesure m = mesure();
    QFont f;
    f.setBold(true);
    f.setPixelSize(std::max(1, int(std::lround(t.k * m.police))));
    champ_->setFont(f);
    const QColor c = couleursAnnotation()[size_t(couleur_)];
    // The border is painted by the field itself: a style sheet's dashes have their own rhythm.
    champ_->setStyleSheet(QStringLiteral("QLineEdit { color: %1; background: transparent; border: none;"
                                         " padding: 0 4px; }")
                              .arg(c.name()));
    const double largeur = std::max(t.k * (t.image.width() - point_->x()) - 8, 120.0);
    const QPointF coin = t.versEcran(*point_) - QPointF(4, 0);
    champ_->setGeometry(QRectF(coin, QSizeF(largeur, champ_->sizeHint().height())).toRect());
}

void VueAnnoter::validerTexte()
{
    if (point_ && !champ_->text().trimmed().isEmpty())
        faites_.append(Annotation{Annotation::Genre::texte, *point_, *point_, champ_->text(),
                                  couleursAnnotation()[size_t(couleur_)]});
    fermerTexte();
}

void VueAnnoter::fermerTexte()
{
    point_.reset();
    champ_->clear();
    // The keyboard comes back to the window: hidden with it, the field would hand it on to
    // the next button, which a Space typed next would press.
    if (champ_->hasFocus())
        setFocus(Qt::OtherFocusReason);
    champ_->hide();
    majTextes();
    canevas_->update();
}

void VueAnnoter::reprendre()
{
    if (point_)
        fermerTexte();
    else if (!faites_.isEmpty()) {
        faites_.removeLast();
        majTextes();
        canevas_->update();
    }
}

void VueAnnoter::majTextes()
{
    const qsizetype n = faites_.size();
    entete().setPastille(n == 0 ? tr("rien d'ajouté") : n == 1 ? tr("1 ajout") : tr("%1 ajouts").arg(n));
    aide_->setText(outilsAnnotation()[size_t(outil_)].genre == Annotation::Genre::texte
                       ? tr("Cliquez sur la photo pour écrire, Retour pour valider.")
                       : tr("Glissez sur la photo pour tracer."));
    const bool reprenable = point_ || n > 0;
    // Disabled with the keyboard on it, the button would hand it to the next one (« Annuler »,
    // which a Space typed next would press): the drawing takes it back.
    if (!reprenable && reprendre_->hasFocus())
        setFocus(Qt::OtherFocusReason);
    reprendre_->setEnabled(reprenable);
    reprendre_->update();
}

void VueAnnoter::keyPressEvent(QKeyEvent* e)
{
    // The keyboard on the drawing (the window opening, a click there): the arrows move the
    // tool's choice, as they do from the chosen tool itself.
    const bool fleche = e->key() == Qt::Key_Left || e->key() == Qt::Key_Right || e->key() == Qt::Key_Up
                        || e->key() == Qt::Key_Down;
    if (!fleche || e->modifiers() != Qt::NoModifier)
        return VueOutil::keyPressEvent(e);
    QAbstractButton* choisi = outils_[outil_];
    choisi->setFocus(Qt::OtherFocusReason);
    const std::unique_ptr<QKeyEvent> copie(e->clone());
    QCoreApplication::sendEvent(choisi, copie.get());
}

void VueAnnoter::valider()
{
    validerTexte();
    if (image_.isNull())
        return;
    const QImage image = image_;
    const QList<Annotation> marques = faites_;
    const QString source = url();
    const QString mot = tr("annotée");
    sauver([=] { return Retouches::enregistrer(Retouches::annoter(image, marques), source, mot); });
}
