#include "fenetres/masquer/VueMasquer.h"

#include "fenetres/commun/CanevasPhoto.h"
#include "fenetres/commun/Couleurs.h"
#include "fenetres/commun/Entete.h"
#include "fenetres/masquer/modele/Masquage.h"
#include "fenetres/commun/modele/Photo.h"
#include "fenetres/retouches/Retouches.h"
#include "fenetres/masquer/modele/Zones.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QTimer>

// The photo with the blurred copy showing through the zones, their outlines, the zone being
// dragged, and a spinner while the text is read.
class VueMasquer::Canevas : public CanevasPhoto {
public:
    explicit Canevas(VueMasquer& vue) : CanevasPhoto(&vue, 380), vue_(vue)
    {
        toupie_.setInterval(80);
        connect(&toupie_, &QTimer::timeout, this, [this] {
            tour_ = (tour_ + 1) % 8;
            update();
        });
        toupie_.start();
        connect(&animateur_, &Animateur::pas, this, [this] {
            nettoyer();
            update();
        });
    }

    void arreterToupie() { toupie_.stop(); }

    // A zone's outline comes in growing from 0.6 of its size and fading in; one taken away
    // shrinks and fades out.
    void entrer(const QRectF& zone, const Mouvement& m)
    {
        auto c = std::make_unique<Contour>(zone);
        c->u.aller(1, m, animateur_);
        contours_.push_back(std::move(c));
        update();
    }
    void sortir(qsizetype index, const Mouvement& m)
    {
        qsizetype i = 0;
        for (auto& c : contours_)
            if (!c->sortant && i++ == index) {
                c->sortant = true;
                c->u.aller(0, m, animateur_);
                break;
            }
        nettoyer();
        update();
    }
    // Each outline's scale and opacity, for tests: those leaving included.
    QList<std::pair<double, double>> apparences() const
    {
        QList<std::pair<double, double>> l;
        for (const auto& c : contours_)
            l << std::pair{echelle(*c), opacite(*c)};
        return l;
    }
    Animateur& animateur() { return animateur_; }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        fond(p);
        const Toile t = vue_.toile();
        const QRectF photo = t.versEcran(QRectF(QPointF(0, 0), t.image));
        if (!vue_.apercu_.isNull())
            p.drawImage(photo, vue_.apercu_);
        if (!vue_.flouApercu_.isNull()) {
            // The union of the zones in place: where two overlap the photo stays hidden (an
            // even-odd path would open a window there).
            QPainterPath trous;
            trous.setFillRule(Qt::WindingFill);
            for (const auto& c : contours_)
                if (enPlace(*c))
                    trous.addRect(t.versEcran(c->zone));
            if (!trous.isEmpty()) {
                p.save();
                p.setClipPath(trous, Qt::IntersectClip);
                p.drawImage(photo, vue_.flouApercu_);
                p.restore();
            }
            // A zone coming or going: its blur follows its outline, the photo staying still.
            for (const auto& c : contours_)
                if (!enPlace(*c)) {
                    p.save();
                    const QTransform fixe = p.worldTransform();
                    suivre(p, *c, t);
                    p.setClipRect(t.versEcran(c->zone), Qt::IntersectClip);
                    p.setWorldTransform(fixe);
                    p.drawImage(photo, vue_.flouApercu_);
                    p.restore();
                }
        }
        for (const auto& c : contours_) {
            p.save();
            suivre(p, *c, t);
            contour(p, t.versEcran(c->zone), QPen(Couleurs::tilleul0(), 2));
            p.restore();
        }
        if (vue_.trace_) {
            QPen tirets(Qt::white, 1.5, Qt::CustomDashLine, Qt::FlatCap, Qt::MiterJoin);
            tirets.setDashPattern({5 / 1.5, 4 / 1.5});
            contour(p, t.versEcran(*vue_.trace_), tirets);
        }
        if (vue_.cherche_ && vue_.chargee())
            peindreToupie(p, QRectF(rect()).center(), tour_, Couleurs::encre(), 4, 9, 2.2);
    }

    void glisse(QPointF depart, QPointF ici) override
    {
        if (!vue_.chargee() || vue_.cherche_)
            return;
        const Toile t = vue_.toile();
        vue_.trace_ = Zones::trace(t.versPhoto(depart), t.versPhoto(ici), t.image);
        update();
    }
    void lache(QPointF, QPointF ici) override { vue_.finir(ici); }

private:
    struct Contour {
        explicit Contour(const QRectF& z) : zone(z) {}
        QRectF zone;
        Valeur u{0};  // 0: away, 1: in place
        bool sortant = false;
    };
    static double echelle(const Contour& c) { return 0.6 + 0.4 * c.u.valeur(); }
    static double opacite(const Contour& c) { return std::clamp(c.u.valeur(), 0.0, 1.0); }
    static bool enPlace(const Contour& c) { return !c.sortant && !c.u.enMouvement() && c.u.valeur() >= 1; }
    // The painter set to the zone's scale about its centre and its opacity.
    static void suivre(QPainter& p, const Contour& c, const Toile& t)
    {
        const QPointF centre = t.versEcran(c.zone).center();
        const double s = echelle(c);
        p.setOpacity(opacite(c));
        p.translate(centre);
        p.scale(s, s);
        p.translate(-centre);
    }
    void nettoyer()
    {
        std::erase_if(contours_, [](const std::unique_ptr<Contour>& c) {
            return c->sortant && !c->u.enMouvement() && c->u.valeur() <= 0.001;
        });
    }

    // A rounded outline drawn inside its rectangle.
    static void contour(QPainter& p, const QRectF& r, const QPen& stylo)
    {
        const double d = stylo.widthF() / 2;
        p.setPen(stylo);
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(r.adjusted(d, d, -d, -d), 3, 3);
    }

    VueMasquer& vue_;
    QTimer toupie_;
    int tour_ = 0;
    Animateur animateur_;
    std::vector<std::unique_ptr<Contour>> contours_;
};

VueMasquer::VueMasquer(const QString& url, FenetreOutil* fenetre, Fini fini)
    : VueOutil(url, fenetre, std::move(fini), tr("Masquer"))
{
    entete().setTitre(tr("Masquer %1").arg(QFileInfo(url).fileName()));
    canevas_ = new Canevas(*this);
    poserToile(canevas_);
    aide_ = &ajouterAide();
    terminerRangee();
    majTextes();

    enFond<Photo>([url] { return Photo::charger(url); }, [this](const Photo& photo) {
        if (photo.image.isNull()) {
            cherche_ = false;
            canevas_->arreterToupie();
            setErreur(tr("Impossible de lire la photo"));
            majTextes();
            emit pret();
            return;
        }
        image_ = photo.image;
        apercu_ = photo.apercu;
        canevas_->update();
        analyser();
    });
}

void VueMasquer::analyser()
{
    const QImage image = image_;
    enFond<Analyse>([image] {
        Analyse a;
        a.zones = Retouches::infosSensibles(image);
        a.flou = Retouches::flouter(image);
        a.flouApercu = Photo::reduire(a.flou);
        return a;
    }, [this](const Analyse& a) {
        flou_ = a.flou;
        flouApercu_ = a.flouApercu;
        zones_ = a.zones;
        for (const QRectF& z : zones_)
            canevas_->entrer(z, ressort(Ressort{0.4, 0.75}));
        cherche_ = false;
        canevas_->arreterToupie();
        majTextes();
        canevas_->update();
        emit pret();
    });
}

Mouvement VueMasquer::ressort(Ressort r) const { return reduire() ? Mouvement::immediat() : Mouvement::par(r); }

QList<std::pair<double, double>> VueMasquer::apparences() const { return canevas_->apparences(); }

Animateur& VueMasquer::animateurZones() { return canevas_->animateur(); }

Toile VueMasquer::toile() const
{
    return Toile::ajuster(canevas_->size(), image_.isNull() ? QSizeF(1, 1) : QSizeF(image_.size()));
}

QWidget& VueMasquer::canevas() { return *canevas_; }

void VueMasquer::finir(QPointF point)
{
    if (!trace_)
        return;
    const Toile t = toile();
    switch (Zones::fin(*trace_, t.k)) {
    case Zones::Fin::ajouter:
        zones_.append(*trace_);
        canevas_->entrer(*trace_, ressort(Ressort{0.3, 0.7}));
        break;
    case Zones::Fin::cliquer:
        if (const auto i = Zones::sous(zones_, t.versPhoto(point))) {
            zones_.removeAt(*i);
            canevas_->sortir(*i, ressort(Ressort{0.3, 0.7}));
        }
        break;
    case Zones::Fin::rien:
        break;
    }
    trace_.reset();
    majTextes();
    canevas_->update();
}

void VueMasquer::majTextes()
{
    if (cherche_)
        entete().setPastille(tr("recherche…"));
    else if (zones_.isEmpty())
        entete().setPastille(tr("rien de trouvé"));
    else if (zones_.size() == 1)
        entete().setPastille(tr("1 zone masquée"));
    else
        entete().setPastille(tr("%1 zones masquées").arg(zones_.size()));
    aide_->setText(cherche_ ? tr("L’ordinateur lit la photo pour trouver les e-mails, téléphones et numéros de carte.")
                            : tr("Tracez une zone pour la masquer ; cliquez sur une zone pour la retirer."));
}

void VueMasquer::valider()
{
    if (image_.isNull() || cherche_)
        return;
    const QImage image = image_, flou = flou_;
    const QList<QRectF> zones = zones_;
    const QString source = url();
    const QString mot = tr("masquée");
    sauver([=] { return Retouches::enregistrer(Retouches::masquer(image, flou, zones), source, mot); });
}
