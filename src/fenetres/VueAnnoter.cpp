#include "fenetres/VueAnnoter.h"

#include "fenetres/CanevasPhoto.h"
#include "fenetres/ChoixPilules.h"
#include "fenetres/Couleurs.h"
#include "fenetres/Entete.h"
#include "fenetres/Photo.h"
#include "fenetres/Retouches.h"

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

// The six colours as discs; the chosen one is ringed.
class VueAnnoter::Disques : public QWidget {
public:
    explicit Disques(VueAnnoter& vue) : QWidget(&vue), vue_(vue)
    {
        setFixedSize(int(couleursAnnotation().size()) * (cote + ecart) - ecart, cote);
        setCursor(Qt::PointingHandCursor);
        setToolTip(tr("Couleur"));
    }
    static QRectF disque(int i) { return QRectF(i * (cote + ecart), 0, cote, cote); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        for (int i = 0; i < int(couleursAnnotation().size()); ++i) {
            const QRectF r = disque(i);
            p.setPen(Qt::NoPen);
            p.setBrush(couleursAnnotation()[size_t(i)]);
            p.drawEllipse(r.adjusted(3, 3, -3, -3));
            if (i == vue_.couleur_) {
                p.setBrush(Qt::NoBrush);
                p.setPen(QPen(Couleurs::encre(), 1.5));
                p.drawEllipse(r.adjusted(0.75, 0.75, -0.75, -0.75));
            }
        }
    }
    void mousePressEvent(QMouseEvent* e) override
    {
        for (int i = 0; i < int(couleursAnnotation().size()); ++i)
            if (QLineF(disque(i).center(), e->position()).length() <= cote / 2.0)
                vue_.choisirCouleur(i);
    }

private:
    static constexpr int cote = 24, ecart = 6;
    VueAnnoter& vue_;
};

namespace {

// The round take-back button: an arrow turning back.
class BoutonReprendre : public QAbstractButton {
public:
    explicit BoutonReprendre(QWidget* parent) : QAbstractButton(parent)
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
        p.setPen(QPen(c, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        QPainterPath fleche;
        fleche.moveTo(12, 17);
        fleche.lineTo(22, 17);
        fleche.cubicTo(28, 17, 28, 26, 22, 26);
        fleche.lineTo(17, 26);
        fleche.moveTo(15.5, 13.5);
        fleche.lineTo(12, 17);
        fleche.lineTo(15.5, 20.5);
        p.drawPath(fleche);
    }
};

QStringList titres()
{
    QStringList t;
    for (const OutilAnnotation& o : outilsAnnotation())
        t << o.titre;
    return t;
}

} // namespace

VueAnnoter::VueAnnoter(const QString& url, FenetreOutil* fenetre, Fini fini)
    : VueOutil(url, fenetre, std::move(fini), tr("Enregistrer"))
{
    entete().setTitre(tr("Annoter %1").arg(QFileInfo(url).fileName()));

    auto* choix = new QHBoxLayout();
    choix->setSpacing(10);
    outils_ = new ChoixPilules(titres(), this);
    outils_->setReduire(reduire());
    disques_ = new Disques(*this);
    auto* bouton = new BoutonReprendre(this);
    reprendre_ = bouton;
    reprendre_->setToolTip(tr("Retirer le dernier ajout (Ctrl+Z)"));
    choix->addWidget(outils_);
    choix->addWidget(disques_);
    choix->addStretch(1);
    choix->addWidget(reprendre_);
    connect(outils_, &ChoixPilules::change, this, &VueAnnoter::choisirOutil);
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
    outils_->setChoisi(index);
    majTextes();
}

void VueAnnoter::choisirCouleur(int index)
{
    couleur_ = index;
    placerChamp();
    disques_->update();
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
    champ_->setStyleSheet(QStringLiteral("QLineEdit { color: %1; background: transparent; border: 1px dashed white;"
                                         " border-radius: 4px; padding: 0 3px; }")
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
    reprendre_->setEnabled(point_ || n > 0);
    reprendre_->update();
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
