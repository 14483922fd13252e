#include "fenetres/rogner/VueRogner.h"

#include "fenetres/commun/CanevasPhoto.h"

#include "conversions/images/Images.h"
#include "conversions/Journaux.h"
#include "fenetres/commun/ChoixPilules.h"
#include "fenetres/commun/modele/Echecs.h"
#include "fenetres/commun/Couleurs.h"
#include "fenetres/commun/Entete.h"
#include "fenetres/retouches/Retouches.h"
#include "roue/Effets.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

// The canvas: the photo fitted inside, the shade outside the frame, the frame, the thirds
// while dragging and the handles.
class VueRogner::Toile : public QWidget {
public:
    explicit Toile(VueRogner& vue) : QWidget(&vue), vue_(vue)
    {
        setFixedHeight(360);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        setMouseTracking(true);
        connect(&animateur_, &Animateur::pas, this, qOverload<>(&QWidget::update));
    }

    double echelle() const { return Cadre::echelle(size(), vue_.taille()); }
    QPointF origine() const { return Cadre::origine(size(), vue_.taille(), echelle()); }
    // The frame as drawn, in canvas points.
    QRectF R() const
    {
        const double s = echelle();
        const QPointF o = origine();
        return {o.x() + s * vue_.x_.valeur(), o.y() + s * vue_.y_.valeur(), s * vue_.w_.valeur(), s * vue_.h_.valeur()};
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        fondDeCanevas(p, rect());
        if (!vue_.chargee())
            return;
        const double s = echelle();
        const QPointF o = origine();
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(QRectF(o, vue_.taille() * s), vue_.apercu_);

        const QRectF r = R();
        QPainterPath ombre;
        ombre.setFillRule(Qt::OddEvenFill);
        ombre.addRect(QRectF(rect()));
        ombre.addRect(r);
        p.fillPath(ombre, QColor(20, 22, 30, 128));

        p.setPen(QPen(QColor(255, 255, 255, 242), 1.5));
        p.drawRect(r.adjusted(0.75, 0.75, -0.75, -0.75));
        if (grille_.valeur() > 0) {
            p.setPen(QPen(QColor(255, 255, 255, int(140 * grille_.valeur())), 1));
            for (const QLineF& l : Cadre::tiers(r))
                p.drawLine(l);
        }
        for (Cadre::Poignee h : Cadre::poignees())
            peindrePoignee(p, h, r);
    }

    void mousePressEvent(QMouseEvent* e) override
    {
        if (e->button() != Qt::LeftButton || !vue_.chargee() || vue_.occupe())
            return;
        const QRectF r = R();
        if (const auto h = Cadre::sous(e->position(), r))
            element_ = Cadre::brut(*h);
        else if (r.contains(e->position()))
            element_ = QStringLiteral("tout");
        else
            return;  // the shade takes no clicks
        presse_ = e->position();
        depart_.reset();
    }

    void mouseMoveEvent(QMouseEvent* e) override
    {
        if (element_.isEmpty()) {
            const QRectF r = R();
            const auto h = vue_.chargee() ? Cadre::sous(e->position(), r) : std::nullopt;
            setCursor(h ? curseur(*h) : (vue_.chargee() && r.contains(e->position()) ? Qt::OpenHandCursor : Qt::ArrowCursor));
            return;
        }
        const QPointF t = e->position() - presse_;
        if (!depart_) {
            if (std::abs(t.x()) < 1 && std::abs(t.y()) < 1)
                return;  // a drag begins after one point
            depart_ = vue_.c_;
            grille_.aller(1, Mouvement::par(Fondu{0.2}), animateur_);
        }
        const double s = echelle();
        vue_.placer(Cadre::glisser(element_, *depart_, t / s, vue_.taille(), vue_.ratio()), false);
    }

    void mouseReleaseEvent(QMouseEvent*) override
    {
        if (depart_)
            grille_.aller(0, Mouvement::par(Fondu{0.2}), animateur_);
        depart_.reset();
        element_.clear();
    }

    void mouseDoubleClickEvent(QMouseEvent* e) override
    {
        if (vue_.chargee() && !vue_.occupe() && R().contains(e->position()) && !Cadre::sous(e->position(), R()))
            vue_.toutReprendre();
    }

private:
    static Qt::CursorShape curseur(Cadre::Poignee h)
    {
        using P = Cadre::Poignee;
        switch (h) {
        case P::hg: case P::bd: return Qt::SizeFDiagCursor;
        case P::hd: case P::bg: return Qt::SizeBDiagCursor;
        case P::h: case P::b: return Qt::SizeVerCursor;
        default: return Qt::SizeHorCursor;
        }
    }

    // A corner is a white bracket, an edge a white bar; both cast a soft shadow.
    static void peindrePoignee(QPainter& p, Cadre::Poignee h, const QRectF& r)
    {
        using P = Cadre::Poignee;
        const QPointF c = Cadre::centre(h, r);
        QPainterPath figure;
        if (h == P::hg || h == P::hd || h == P::bg || h == P::bd) {
            QPainterPath equerre;
            equerre.moveTo(-9, 9);
            equerre.lineTo(-9, -9);
            equerre.lineTo(9, -9);
            QPainterPathStroker trait;
            trait.setWidth(4);
            trait.setCapStyle(Qt::RoundCap);
            trait.setJoinStyle(Qt::RoundJoin);
            const double angle = h == P::hd ? 90 : h == P::bd ? 180 : h == P::bg ? 270 : 0;
            figure = QTransform().rotate(angle).map(trait.createStroke(equerre));
        } else {
            const bool horizontale = h == P::h || h == P::b;
            const QSizeF t = horizontale ? QSizeF(22, 4) : QSizeF(4, 22);
            figure.addRoundedRect(QRectF(-t.width() / 2, -t.height() / 2, t.width(), t.height()), 2, 2);
        }
        p.save();
        p.translate(c);
        Roue::Effets::dessiner(p, {figure, 0, QColor(0, 0, 0, 89), 0.75, {}}, QPointF(0, 1));
        p.fillPath(figure, Qt::white);
        p.restore();
    }

    VueRogner& vue_;
    QString element_;
    QPointF presse_;
    std::optional<QRectF> depart_;
    Animateur animateur_;
    Valeur grille_{0};
};

namespace {

QStringList titres()
{
    QStringList t;
    for (const Cadre::Format& f : Cadre::formats())
        t << f.titre;
    return t;
}

} // namespace

VueRogner::VueRogner(const QString& url, FenetreOutil* fenetre, Fini fini)
    : VueOutil(url, fenetre, std::move(fini), tr("Rogner"))
{
    entete().setTitre(tr("Rogner %1").arg(QFileInfo(url).fileName()));
    montrerTaille();  // 0 × 0 until the photo is read, and for one that cannot be
    toile_ = new Toile(*this);
    poserToile(toile_);
    formats_ = new ChoixPilules(titres(), this);
    formats_->setReduire(reduire());
    // The keyboard rests on the chosen format when the window opens, its ring unseen.
    setFocusProxy(formats_);
    rangee().addWidget(formats_);
    terminerRangee();
    connect(formats_, &ChoixPilules::change, this, &VueRogner::choisirFormat);
    connect(&animateur_, &Animateur::pas, toile_, qOverload<>(&QWidget::update));

    // Decoded once, at full size, off the GUI thread; the canvas draws a smaller copy.
    enFond<Chargement>([url] {
        Chargement c;
        try {
            c.image = Conversions::redressee(url);
            c.apercu = c.image.scaled(QSize(1200, 720), Qt::KeepAspectRatio, Qt::SmoothTransformation);
        } catch (const std::exception& e) {
            Echecs::journaliser(Conversions::journalImages(), url, e);
            c.erreur = tr("Impossible de lire la photo");
        }
        return c;
    }, [this](const Chargement& c) { montrer(c); });
}

void VueRogner::montrer(const Chargement& c)
{
    if (c.image.isNull()) {
        setErreur(c.erreur);
    } else {
        image_ = c.image;
        apercu_ = c.apercu;
        placer(QRectF(QPointF(0, 0), taille()), false);
    }
    emit charge();
}

QWidget& VueRogner::canevas() { return *toile_; }

QSizeF VueRogner::taille() const { return image_.isNull() ? QSizeF(1, 1) : QSizeF(image_.size()); }

std::optional<double> VueRogner::ratio() const
{
    return Cadre::ratio(format_, image_.isNull() ? std::nullopt : std::optional<QSizeF>(taille()));
}

void VueRogner::placer(const QRectF& c, bool anime)
{
    c_ = c;
    const Mouvement m = anime && !reduire() ? Mouvement::par(Ressort{0.38, 0.72}) : Mouvement::immediat();
    x_.aller(c.x(), m, animateur_);
    y_.aller(c.y(), m, animateur_);
    w_.aller(c.width(), m, animateur_);
    h_.aller(c.height(), m, animateur_);
    montrerTaille();
    toile_->update();
}

void VueRogner::montrerTaille()
{
    const QSize ecrite = Cadre::region(c_, image_.size()).size();
    entete().setPastille(QStringLiteral("%1 × %2 px").arg(ecrite.width()).arg(ecrite.height()));
}

void VueRogner::choisirFormat(int index)
{
    format_ = index;
    formats_->setChoisi(index);
    if (chargee())
        placer(Cadre::appliquerRatio(c_, taille(), ratio()), true);
}

void VueRogner::toutReprendre()
{
    placer(Cadre::appliquerRatio(QRectF(QPointF(0, 0), taille()), taille(), ratio()), true);
}

void VueRogner::valider()
{
    if (!chargee())
        return;
    const QImage image = image_;
    const QRect region = Cadre::region(c_, image_.size());
    const QString source = url();
    const QString mot = tr("rognée");
    // A crop that cannot be made fails naming the file it would have been.
    sauver([image, region, source, mot] { return Retouches::enregistrer(image.copy(region), source, mot); });
}
